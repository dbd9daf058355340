#include "FolderScanControl.h"

#include <utility>

TScanControl::TScanControl(std::function<void()> processMessages, std::function<void()> resumeClose)
    : processMessages_(std::move(processMessages)), resumeClose_(std::move(resumeClose)) {}

TScanControl::TScope::TScope(TScanControl& control) : control_(control) {
    ++control_.depth_;
}

TScanControl::TScope::~TScope() {
    if (--control_.depth_ > 0) return;
    control_.aborted_ = false;
    if (std::exchange(control_.closeDeferred_, false) && control_.resumeClose_)
        control_.resumeClose_();
}

bool TScanControl::KeepScanning() {
    if (!aborted_ && processMessages_) processMessages_();
    return !aborted_;
}

bool TScanControl::DeferClose() {
    if (depth_ == 0) {
        closing_ = true;
        return false;
    }
    aborted_ = true;
    closeDeferred_ = true;
    return true;
}

void TScanControl::Reopen() {
    aborted_ = false;
    closeDeferred_ = false;
    closing_ = false;
}
