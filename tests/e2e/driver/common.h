// Shared by the driver's sources: UTF-8/UTF-16 text, a small JSON writer,
// argument parsing and the failure that ends one command.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace wd {

using std::string;
using std::vector;
using std::wstring;

// ---------------------------------------------------------------- text

inline string ToUtf8(const wstring& w) {
  if (w.empty()) return string();
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                      nullptr);
  return s;
}

inline wstring FromUtf8(const string& s) {
  if (s.empty()) return wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

// JSON string literal of UTF-16 text; lone surrogates come out as \uXXXX so
// the harness sees exactly what the window held.
inline string JsonString(const wstring& w) {
  string out = "\"";
  for (size_t i = 0; i < w.size(); ++i) {
    wchar_t c = w[i];
    char buf[16];
    switch (c) {
      case L'"': out += "\\\""; continue;
      case L'\\': out += "\\\\"; continue;
      case L'\n': out += "\\n"; continue;
      case L'\r': out += "\\r"; continue;
      case L'\t': out += "\\t"; continue;
      default: break;
    }
    if (c < 0x20 || c == 0x7f) {
      snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 &&
               w[i + 1] <= 0xDFFF) {
      out += ToUtf8(w.substr(i, 2));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += ToUtf8(wstring(1, c));
    }
  }
  out += "\"";
  return out;
}

inline string JsonString(const char* s) { return JsonString(FromUtf8(s)); }

// A small JSON object builder: members are appended in order.
class Obj {
 public:
  Obj& Raw(const char* key, const string& raw) {
    if (!body_.empty()) body_ += ",";
    body_ += "\"";
    body_ += key;
    body_ += "\":";
    body_ += raw;
    return *this;
  }
  Obj& Str(const char* key, const wstring& v) { return Raw(key, JsonString(v)); }
  Obj& Int(const char* key, long long v) { return Raw(key, std::to_string(v)); }
  Obj& Bool(const char* key, bool v) { return Raw(key, v ? "true" : "false"); }
  string Done() const { return "{" + body_ + "}"; }

 private:
  string body_;
};

inline string JsonArray(const vector<string>& items) {
  string out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += ",";
    out += items[i];
  }
  return out + "]";
}

inline bool ParseInt(const wstring& s, long long& v) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  v = wcstoll(s.c_str(), &end, 0);
  return end && *end == L'\0';
}

// ---------------------------------------------------------------- errors

struct Failure {
  string message;
};

[[noreturn]] inline void Fail(const string& message) { throw Failure{message}; }

[[noreturn]] inline void FailWin32(const string& what) {
  DWORD err = GetLastError();
  Fail(what + " failed, error " + std::to_string(err));
}

inline long long NeedInt(const vector<wstring>& a, size_t i, const char* what) {
  long long v = 0;
  if (i >= a.size() || !ParseInt(a[i], v)) Fail(string("argument ") + std::to_string(i) + ": " + what + " expected");
  return v;
}

}  // namespace wd
