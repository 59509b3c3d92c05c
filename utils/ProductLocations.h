#pragma once

// Where the product is installed, where it goes by default, where a custom choice really
// points, whether the installed copy forbids uninstalling it first, and the maker's data
// folder. The main window keeps one ProductLocations for its whole life.

#include <functional>
#include <string>

#include "utils/ProductFiles.h"

namespace Utils {

// Registry values of the product key.
inline constexpr wchar_t kInstallPathValue[] = L"InstallPath";
inline constexpr wchar_t kUninstallEntryValue[] = L"UnInstallEp";

// Who runs the installer. The real probes by default; tests inject answers.
struct AdminProbes {
  // The user logged on at the console is an administrator account.
  std::function<bool()> sessionUserIsAdmin;
  // The installer's token is a member of the Administrators group.
  std::function<bool()> processIsAdmin;
};

// The console user's account check and the token check of SystemProbes.
AdminProbes RealAdminProbes();

// "\" joins as the shell's path maker does (no doubled separator). Empty on overflow of
// MAX_PATH characters.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

class ProductLocations {
 public:
  explicit ProductLocations(AdminProbes probes = RealAdminProbes());

  // Reads InstallPath and UnInstallEp. A missing UnInstallEp with a known InstallPath
  // becomes InstallPath + "\uninst.ep". Missing values read as empty texts.
  void ReadInstalledLocation();

  // Records a finished installation: InstallPath := |folder|; UnInstallEp := |reportedEntry|
  // (or |folder| + "\uninst.ep" when empty), only when that file exists. A key that
  // cannot be written records nothing.
  void WriteInstalledLocation(const std::wstring& folder, const std::wstring& reportedEntry) const;

  // The default installation folder: the installed folder while its uninstall entry
  // exists, else APPDATA\brisko\Quillora for an administrator at the console running
  // elevated, else the (32-bit) program files folder + "\Quillora". Refreshes both admin
  // flags.
  std::wstring GetDefaultInstallDir();

  // True when |folder| names the default folder (case and a trailing "\" do not matter).
  bool IsDefaultInstallDir(const std::wstring& folder);

  // The folder the custom page's edit text means: the text with "/" turned into "\"; the
  // default folder when that names it, else that with a "Quillora" folder appended.
  std::wstring GetCustomInstallDir(const std::wstring& editText);

  // True when |folder| is the installed folder and its "set.ini" says
  // [Uninstall] IsOverride=false (exactly that spelling).
  bool IsOverrideDisabled(const std::wstring& folder) const;

  const std::wstring& InstalledDir() const { return installedDir_; }
  const std::wstring& UninstallEntry() const { return uninstallEntry_; }
  bool SessionUserIsAdmin() const { return sessionUserIsAdmin_; }
  bool ProcessIsAdmin() const { return processIsAdmin_; }

 private:
  AdminProbes probes_;
  std::wstring installedDir_;
  std::wstring uninstallEntry_;
  bool sessionUserIsAdmin_ = false;
  bool processIsAdmin_ = false;
};

// True when |from| and |to| name the same folder (PathRelativePathToW answers "."), after
// dropping trailing backslashes that the shell's comparison does not see through.
bool IsSameFolder(const std::wstring& from, const std::wstring& to);

// The maker's data folder for the product: APPDATA (or, without it, the shared documents
// folder) + "\VelToData\Quillora". Empty when neither can be had.
std::wstring GetProductDataDir();

}  // namespace Utils
