#include "settings/keys.h"

#include <windows.h>
#include <winver.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "settings/full_registry.h"
#include "version.h"

namespace vt {
namespace {

// A file's version information, loaded once for several look-ups.
class VersionBlock {
 public:
  explicit VersionBlock(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    block_.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block_.data())) block_.clear();
  }

  std::string Query(const char* name) const {
    if (block_.empty()) return {};
    struct Translation {
      WORD language;
      WORD codePage;
    };
    std::vector<Translation> languages;
    void* table = nullptr;
    UINT tableBytes = 0;
    // VerQueryValueA takes a non-const block; it does not write to it.
    void* block = const_cast<char*>(block_.data());
    if (VerQueryValueA(block, "\\VarFileInfo\\Translation", &table, &tableBytes) && table) {
      const auto* t = static_cast<const Translation*>(table);
      languages.assign(t, t + tableBytes / sizeof(Translation));
    }
    // No table: the usual US English, Unicode block.
    if (languages.empty()) languages.push_back({0x0409, 1200});

    for (const Translation& lang : languages) {
      char query[96];
      std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", lang.language,
                    lang.codePage, name);
      void* value = nullptr;
      UINT chars = 0;
      if (VerQueryValueA(block, query, &value, &chars) && value && chars > 0) {
        const char* text = static_cast<const char*>(value);
        return std::string(text, strnlen(text, chars));
      }
    }
    return {};
  }

 private:
  std::vector<char> block_;
};

}  // namespace

std::string ProgramFilePath(std::size_t firstBuffer) {
  std::string path(firstBuffer > 0 ? firstBuffer : 1, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: try a longer buffer
  }
}

std::string ProductKey() {
  // Formed once: the version resource of a running exe cannot change, and
  // reading it costs milliseconds on every settings access otherwise.
  static const std::string key = [] {
    const VersionBlock own(ProgramFilePath());
    std::string company = own.Query("CompanyName");
    std::string product = own.Query("ProductName");
    // An exe built without its version resource still gets a usable path, the
    // one the resource would give.
    if (company.empty()) company = VT_COMPANY_NAME;
    if (product.empty()) product = VT_PRODUCT_NAME;
    return "Software\\" + company + "\\" + product;
  }();
  return key;
}

std::string SettingsKey() {
  return ProductKey() + "\\Settings";
}
std::string ListKey() {
  return ProductKey() + "\\List";
}

std::string ReadSetting(const Setting& s) {
  return RegistryRead(HKEY_CURRENT_USER, SettingsKey(), s.name, s.defaultValue);
}

bool WriteSetting(const Setting& s, const std::string& value) {
  return RegistryWrite(HKEY_CURRENT_USER, SettingsKey(), s.name, value);
}

bool DeleteSetting(const Setting& s) {
  return RegistryDelete(HKEY_CURRENT_USER, SettingsKey(), s.name);
}

}  // namespace vt
