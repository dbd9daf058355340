#pragma once
// In-memory stand-ins for the main window and the two settings stores, with
// the failure switches the load and save flows must survive.

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "SettingsStores.h"
#include "SettingsWindow.h"

struct FakeOption {
    std::wstring name;
    bool checked;
};

// The ten option check boxes in creation order, with their design defaults.
inline std::vector<FakeOption> DesignOptions() {
    return {{L"CB_MD5", true},    {L"CB_SHA1", true}, {L"CB_CRC32", true},
            {L"CB_SHA256", true}, {L"CB_Path", true}, {L"CB_Size", true},
            {L"CB_Ver", true},    {L"CB_Time", true}, {L"CB_CalcTime", false},
            {L"CB_Upcase", false}};
}

// A window without a minimum size, so that tests see exactly what the flows set.
class FakeWindow : public SettingsWindow {
  public:
    std::vector<FakeOption> options = DesignOptions();
    bool maximized = false;
    bool stayOnTop = false;
    std::int32_t width = 527;
    std::int32_t height = 424;
    int sizeSets = 0;

    std::size_t OptionCount() const override { return options.size(); }
    std::wstring OptionName(std::size_t i) const override { return options.at(i).name; }
    bool IsOptionChecked(std::size_t i) const override { return options.at(i).checked; }
    void SetOptionChecked(std::size_t i, bool checked) override { options.at(i).checked = checked; }
    bool IsMaximized() const override { return maximized; }
    void SetMaximized() override { maximized = true; }
    bool IsStayOnTop() const override { return stayOnTop; }
    void SetStayOnTop() override { stayOnTop = true; }
    std::int32_t Width() const override { return width; }
    std::int32_t Height() const override { return height; }
    void SetWidth(std::int32_t w) override {
        width = w;
        ++sizeSets;
    }
    void SetHeight(std::int32_t h) override {
        height = h;
        ++sizeSets;
    }

    std::vector<bool> Checks() const {
        std::vector<bool> checks;
        for (const auto& option : options) checks.push_back(option.checked);
        return checks;
    }
    void SetAllChecks(bool checked) {
        for (auto& option : options) option.checked = checked;
    }
};

struct StoreFailure : std::runtime_error {
    StoreFailure() : std::runtime_error("store failure") {}
};

struct IniWrite {
    std::wstring section, key, value;
    bool operator==(const IniWrite&) const = default;
};

class FakeIniStore : public IniStore {
  public:
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> values;
    std::vector<IniWrite> writes;
    int failAtWrite = -1;  // index of the write that fails; -1: none

    std::wstring ReadText(const std::wstring& section, const std::wstring& key) override {
        const auto found = values.find({section, key});
        return found == values.end() ? std::wstring() : found->second;
    }
    void WriteText(const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) override {
        if (static_cast<int>(writes.size()) == failAtWrite) throw StoreFailure();
        writes.push_back({section, key, value});
        values[{section, key}] = value;
    }
};

struct FakeRegValue {
    std::uint32_t number = 0;
    bool readable = true;  // false: another type, or longer than four bytes
};

class FakeRegistryStore : public RegistryStore {
  public:
    bool keyExists = false;
    bool createFails = false;
    std::map<std::wstring, FakeRegValue> values;
    std::vector<std::pair<std::wstring, std::uint32_t>> writes;
    int failAtWrite = -1;
    int openKeys = 0;  // keys handed out and not yet released
    int opens = 0;

    void Set(const std::wstring& name, std::uint32_t number) {
        keyExists = true;
        values[name] = {number, true};
    }
    void SetUnreadable(const std::wstring& name) {
        keyExists = true;
        values[name] = {0, false};
    }

    std::unique_ptr<RegistryKey> OpenForRead() override {
        ++opens;
        if (!keyExists) return nullptr;
        return std::make_unique<Key>(*this);
    }
    std::unique_ptr<RegistryKey> OpenOrCreateForWrite() override {
        ++opens;
        if (createFails) return nullptr;
        keyExists = true;
        return std::make_unique<Key>(*this);
    }

  private:
    class Key : public RegistryKey {
      public:
        explicit Key(FakeRegistryStore& store) : store_(store) { ++store_.openKeys; }
        ~Key() override { --store_.openKeys; }
        bool ValueExists(const std::wstring& name) override {
            return store_.values.count(name) != 0;
        }
        std::uint32_t ReadDword(const std::wstring& name) override {
            const auto found = store_.values.find(name);
            if (found == store_.values.end() || !found->second.readable) throw StoreFailure();
            return found->second.number;
        }
        void WriteDword(const std::wstring& name, std::uint32_t value) override {
            if (static_cast<int>(store_.writes.size()) == store_.failAtWrite) throw StoreFailure();
            store_.writes.emplace_back(name, value);
            store_.values[name] = {value, true};
        }

      private:
        FakeRegistryStore& store_;
    };
};

class FakeStores : public SettingsStores {
  public:
    bool iniExists = false;
    FakeIniStore ini;
    FakeRegistryStore registry;
    int iniUses = 0;
    int registryUses = 0;

    bool IniFileExists() override { return iniExists; }
    IniStore& Ini() override {
        ++iniUses;
        return ini;
    }
    RegistryStore& Registry() override {
        ++registryUses;
        return registry;
    }
};
