// TEMPORARY: handlers whose subsystems are not yet integrated.
#include "FormMain.h"

#include <shellapi.h>
void TFormMain::CreateFileQueue() {}
void TFormMain::InitializeFileListLock() {}
void TFormMain::LoadSettingsAndSnapshot() {}
void TFormMain::ExtendSystemMenu() {}
void TFormMain::QueueCommandLine() {}
void TFormMain::FreeFileQueue() {}
void TFormMain::SaveSettingsIfChanged() {}
void TFormMain::WMDropFiles(HDROP drop) { ::DragFinish(drop); }
void TFormMain::WMSysCommand(WPARAM) {}
void TFormMain::StartHash() {}
void TFormMain::StopHash() {}
void TFormMain::Btn_BrowseClick() {}
void TFormMain::Btn_ComTextClick() {}
void TFormMain::Btn_ClearClick() {}
void TFormMain::Btn_CopyClick() {}
void TFormMain::Btn_SaveClick() {}
void TFormMain::RichEdit1ContextPopup(POINT) {}
void TFormMain::Pop_CopyClick() {}
void TFormMain::Pop_ClearClick() {}
void TFormMain::Pop_AllClick() {}
void TFormMain::Btn_StopClick() {}
void TFormMain::Btn_ExitClick() { ::SendMessageW(handle_, WM_CLOSE, 0, 0); }
