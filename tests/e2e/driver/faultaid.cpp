// faultaid: makes the faults that the fault scenarios need, from a second
// process inside the same Wine prefix.
//
//   faultaid lock <path>...      opens each existing file without sharing,
//                                prints "locked <n>" and keeps the handles
//                                until a line (or the end) arrives on stdin
//   faultaid denykey <key>       creates the key (HKLM\... or HKCU\..., 64-bit
//                                view) if needed and gives it an empty access
//                                list: nobody may open it for reading or
//                                writing any more; prints "denied"
//
// Every failure prints "error <what> <Win32 code>" and ends with exit code 1.
#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Fail(const wchar_t* what, const std::wstring& subject, DWORD code) {
  std::wprintf(L"error %ls %ls %lu\n", what, subject.c_str(), code);
  std::fflush(stdout);
  return 1;
}

int Lock(int argc, wchar_t** argv) {
  std::vector<HANDLE> held;
  for (int i = 2; i < argc; ++i) {
    HANDLE h = CreateFileW(argv[i], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail(L"lock", argv[i], GetLastError());
    held.push_back(h);
  }
  std::printf("locked %u\n", static_cast<unsigned>(held.size()));
  std::fflush(stdout);
  char buffer[64];
  DWORD got = 0;
  ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr);
  for (HANDLE h : held) CloseHandle(h);
  return 0;
}

int DenyKey(const std::wstring& path) {
  HKEY root = nullptr;
  std::wstring sub;
  if (path.rfind(L"HKLM\\", 0) == 0) {
    root = HKEY_LOCAL_MACHINE;
    sub = path.substr(5);
  } else if (path.rfind(L"HKCU\\", 0) == 0) {
    root = HKEY_CURRENT_USER;
    sub = path.substr(5);
  } else {
    return Fail(L"denykey", path, ERROR_INVALID_PARAMETER);
  }
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, WRITE_DAC | KEY_WOW64_64KEY, nullptr,
                            &key, nullptr);
  if (rc != ERROR_SUCCESS) return Fail(L"create", path, static_cast<DWORD>(rc));
  ACL acl;
  if (!InitializeAcl(&acl, sizeof acl, ACL_REVISION)) return Fail(L"acl", path, GetLastError());
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
  rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return Fail(L"security", path, static_cast<DWORD>(rc));
  std::printf("denied\n");
  std::fflush(stdout);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"lock") return Lock(argc, argv);
  if (argc == 3 && std::wstring(argv[1]) == L"denykey") return DenyKey(argv[2]);
  std::printf("usage: faultaid lock <path>... | faultaid denykey <key>\n");
  return 2;
}
