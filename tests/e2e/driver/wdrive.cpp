// wdrive: drives another program's windows from outside, inside the same
// Wine prefix, and reports what it sees as one line of UTF-8 JSON per command.
//
//   wdrive <command> [args...]   run one command
//   wdrive serve                 read commands from stdin, one JSON array of
//                                strings per line, e.g. ["dump","0x1004a"];
//                                answer each with one JSON object line
//
// Every answer carries "ok". Failures carry "error" and never end the serve
// loop. Window handles are printed as integers and accepted in decimal or 0x
// hex.
//
// Cross-process notes (checked under Wine 8, and true on Windows):
//  - WM_GETTEXT/WM_SETTEXT and the combo/list box string messages
//    (CB_GETLBTEXT, LB_GETTEXT) are marshalled by the system, so local buffers
//    work.
//  - Common-control messages (LVM_*, HDM_*) are not marshalled: their
//    structures and text buffers must live in the target process
//    (VirtualAllocEx + WriteProcessMemory/ReadProcessMemory). The structure
//    layout is this program's, so the target must have the same bitness.
//  - WM_GETFONT answers 0 across processes under Wine, so fonts are not
//    reported; screenshots show them.
//  - Actions that may open a modal window (button clicks, commands, keys,
//    close) are posted, never sent, so the driver cannot block on the box.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <winspool.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "common.h"
#include "system.h"

namespace {

using namespace wd;

using std::string;
using std::vector;
using std::wstring;

string RectJson(const RECT& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

// Parses one line holding a JSON array of strings. Returns false on any
// syntax error; no other JSON value kinds are accepted.
bool ParseStringArray(const string& line, vector<wstring>& out) {
  out.clear();
  wstring all = FromUtf8(line);
  size_t i = 0;
  auto skip = [&] {
    while (i < all.size() && (all[i] == L' ' || all[i] == L'\t' || all[i] == L'\r' ||
                              all[i] == L'\n'))
      ++i;
  };
  skip();
  if (i >= all.size() || all[i] != L'[') return false;
  ++i;
  skip();
  if (i < all.size() && all[i] == L']') return true;
  for (;;) {
    skip();
    if (i >= all.size() || all[i] != L'"') return false;
    ++i;
    wstring s;
    for (;;) {
      if (i >= all.size()) return false;
      wchar_t c = all[i++];
      if (c == L'"') break;
      if (c != L'\\') {
        s += c;
        continue;
      }
      if (i >= all.size()) return false;
      wchar_t e = all[i++];
      switch (e) {
        case L'"': s += L'"'; break;
        case L'\\': s += L'\\'; break;
        case L'/': s += L'/'; break;
        case L'b': s += L'\b'; break;
        case L'f': s += L'\f'; break;
        case L'n': s += L'\n'; break;
        case L'r': s += L'\r'; break;
        case L't': s += L'\t'; break;
        case L'u': {
          if (i + 4 > all.size()) return false;
          unsigned v = 0;
          for (int k = 0; k < 4; ++k) {
            wchar_t h = all[i++];
            v <<= 4;
            if (h >= L'0' && h <= L'9') v |= h - L'0';
            else if (h >= L'a' && h <= L'f') v |= h - L'a' + 10;
            else if (h >= L'A' && h <= L'F') v |= h - L'A' + 10;
            else return false;
          }
          s += static_cast<wchar_t>(v);
          break;
        }
        default: return false;
      }
    }
    out.push_back(s);
    skip();
    if (i < all.size() && all[i] == L',') {
      ++i;
      continue;
    }
    if (i < all.size() && all[i] == L']') {
      ++i;
      skip();
      return i == all.size();
    }
    return false;
  }
}

bool ParseHwnd(const wstring& s, HWND& h) {
  long long v = 0;
  if (!ParseInt(s, v)) return false;
  h = reinterpret_cast<HWND>(static_cast<intptr_t>(v));
  return true;
}

HWND NeedWindow(const vector<wstring>& a, size_t i) {
  HWND h = nullptr;
  if (i >= a.size() || !ParseHwnd(a[i], h)) Fail("argument " + std::to_string(i) + ": window handle expected");
  if (!IsWindow(h)) Fail("no such window");
  return h;
}

// A control of `dlg` by id; the id "self" names `dlg` itself.
HWND NeedControl(HWND dlg, const vector<wstring>& a, size_t i) {
  if (i < a.size() && a[i] == L"self") return dlg;
  long long id = NeedInt(a, i, "control id");
  HWND c = GetDlgItem(dlg, static_cast<int>(id));
  if (!c) Fail("no control " + std::to_string(id));
  return c;
}

// ---------------------------------------------------------------- handles

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h) CloseHandle(h);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Memory in another process, released with the object.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, size_t size) : process_(process), size_(size) {
    addr_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!addr_) FailWin32("VirtualAllocEx");
  }
  ~RemoteBlock() { VirtualFreeEx(process_, addr_, 0, MEM_RELEASE); }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  void* At(size_t offset) const { return static_cast<char*>(addr_) + offset; }
  void Write(size_t offset, const void* data, size_t n) {
    if (offset + n > size_) Fail("remote write out of range");
    SIZE_T done = 0;
    if (!WriteProcessMemory(process_, At(offset), data, n, &done) || done != n)
      FailWin32("WriteProcessMemory");
  }
  void Read(size_t offset, void* data, size_t n) const {
    if (offset + n > size_) Fail("remote read out of range");
    SIZE_T done = 0;
    if (!ReadProcessMemory(process_, At(offset), data, n, &done) || done != n)
      FailWin32("ReadProcessMemory");
  }

 private:
  HANDLE process_;
  size_t size_;
  void* addr_ = nullptr;
};

UniqueHandle OpenTargetProcess(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                             PROCESS_QUERY_INFORMATION,
                         FALSE, pid);
  if (!p) FailWin32("OpenProcess");
  BOOL mine = FALSE, theirs = FALSE;
  IsWow64Process(GetCurrentProcess(), &mine);
  IsWow64Process(p, &theirs);
  if (mine != theirs) {
    CloseHandle(p);
    Fail("target process has another bitness; use the matching driver build");
  }
  return UniqueHandle(p);
}

// ---------------------------------------------------------------- window facts

constexpr UINT kSendTimeoutMs = 3000;

// Sends a message that cannot open a modal window; a hung target gives an
// error instead of a hung driver.
// Wine returns 0 without setting an error code for some messages that were
// handled (its result is the window procedure's), so only a real error code
// counts as a failure.
LRESULT SendQuick(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SetLastError(0);
  if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs,
                           &result) &&
      GetLastError() != 0)
    FailWin32("SendMessageTimeout(" + std::to_string(msg) + ")");
  return static_cast<LRESULT>(result);
}

wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  GetClassNameW(h, buf, 256);
  return buf;
}

// The window text as the window itself reports it (WM_GETTEXT): for edit
// controls of other processes the stored caption would be stale.
wstring TextOf(HWND h) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                           kSendTimeoutMs, &len)) {
    wchar_t buf[1024] = {};
    InternalGetWindowText(h, buf, 1024);
    return buf;
  }
  vector<wchar_t> buf(len + 2, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                      SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &got);
  buf.back() = L'\0';
  return buf.data();
}

wstring ExeOf(DWORD pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return wstring();
  wchar_t buf[MAX_PATH * 2] = {};
  DWORD n = MAX_PATH * 2;
  wstring name;
  if (QueryFullProcessImageNameW(p, 0, buf, &n)) {
    name = buf;
    size_t slash = name.find_last_of(L"\\/");
    if (slash != wstring::npos) name = name.substr(slash + 1);
  }
  CloseHandle(p);
  return name;
}

long long HandleValue(HWND h) { return static_cast<long long>(reinterpret_cast<intptr_t>(h)); }

// Facts common to top-level windows and controls.
Obj WindowFacts(HWND h) {
  Obj o;
  RECT r = {};
  GetWindowRect(h, &r);
  RECT cr = {};
  GetClientRect(h, &cr);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  o.Int("hwnd", HandleValue(h))
      .Str("class", ClassOf(h))
      .Str("text", TextOf(h))
      .Int("style", static_cast<long long>(static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE))))
      .Int("exstyle", static_cast<long long>(static_cast<DWORD>(GetWindowLongW(h, GWL_EXSTYLE))))
      .Bool("visible", IsWindowVisible(h) != FALSE)
      .Bool("enabled", IsWindowEnabled(h) != FALSE)
      .Raw("rect", RectJson(r))
      .Raw("client", RectJson(cr));
  return o;
}

Obj TopFacts(HWND h) {
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(h, &pid);
  Obj o = WindowFacts(h);
  o.Int("pid", pid).Int("tid", tid).Str("exe", ExeOf(pid)).Int("owner",
                                                            HandleValue(GetWindow(h, GW_OWNER)));
  return o;
}

string ComboItems(HWND c, long long& cursel) {
  long long n = SendQuick(c, CB_GETCOUNT, 0, 0);
  vector<string> items;
  for (long long i = 0; i < n; ++i) {
    long long len = SendQuick(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len < 0) Fail("CB_GETLBTEXTLEN failed");
    vector<wchar_t> buf(static_cast<size_t>(len) + 1, L'\0');
    SendQuick(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
    buf.back() = L'\0';
    items.push_back(JsonString(wstring(buf.data())));
  }
  cursel = SendQuick(c, CB_GETCURSEL, 0, 0);
  return JsonArray(items);
}

string ListBoxItems(HWND c, long long& cursel) {
  long long n = SendQuick(c, LB_GETCOUNT, 0, 0);
  vector<string> items;
  for (long long i = 0; i < n; ++i) {
    long long len = SendQuick(c, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len < 0) Fail("LB_GETTEXTLEN failed");
    vector<wchar_t> buf(static_cast<size_t>(len) + 1, L'\0');
    SendQuick(c, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
    buf.back() = L'\0';
    items.push_back(JsonString(wstring(buf.data())));
  }
  cursel = SendQuick(c, LB_GETCURSEL, 0, 0);
  return JsonArray(items);
}

constexpr int kRemoteTextChars = 1024;

// Columns and rows of a list view in another process.
void ListViewFacts(HWND lv, Obj& o) {
  UniqueHandle process = OpenTargetProcess(lv);
  const size_t textOffset = 512;  // after the LVCOLUMNW/LVITEMW structure
  RemoteBlock block(process.get(), textOffset + kRemoteTextChars * sizeof(wchar_t));
  wchar_t* remoteText = static_cast<wchar_t*>(block.At(textOffset));

  HWND header = reinterpret_cast<HWND>(SendQuick(lv, LVM_GETHEADER, 0, 0));
  long long ncols = header ? SendQuick(header, HDM_GETITEMCOUNT, 0, 0) : 0;
  vector<string> cols;
  for (long long c = 0; c < ncols; ++c) {
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = remoteText;
    col.cchTextMax = kRemoteTextChars;
    block.Write(0, &col, sizeof col);
    wchar_t zero = 0;
    block.Write(textOffset, &zero, sizeof zero);
    if (!SendQuick(lv, LVM_GETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(block.At(0))))
      Fail("LVM_GETCOLUMNW failed");
    block.Read(0, &col, sizeof col);
    vector<wchar_t> text(kRemoteTextChars, L'\0');
    block.Read(textOffset, text.data(), text.size() * sizeof(wchar_t));
    text.back() = L'\0';
    cols.push_back(Obj().Str("text", text.data()).Int("width", col.cx).Done());
  }
  long long nrows = SendQuick(lv, LVM_GETITEMCOUNT, 0, 0);
  long long nsub = ncols > 0 ? ncols : 1;
  vector<string> rows;
  for (long long r = 0; r < nrows; ++r) {
    vector<string> cells;
    for (long long s = 0; s < nsub; ++s) {
      LVITEMW item = {};
      item.iSubItem = static_cast<int>(s);
      item.pszText = remoteText;
      item.cchTextMax = kRemoteTextChars;
      block.Write(0, &item, sizeof item);
      wchar_t zero = 0;
      block.Write(textOffset, &zero, sizeof zero);
      SendQuick(lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(block.At(0)));
      vector<wchar_t> text(kRemoteTextChars, L'\0');
      block.Read(textOffset, text.data(), text.size() * sizeof(wchar_t));
      text.back() = L'\0';
      cells.push_back(JsonString(wstring(text.data())));
    }
    LRESULT state = SendQuick(lv, LVM_GETITEMSTATE, static_cast<WPARAM>(r),
                              LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK);
    rows.push_back(Obj()
                       .Raw("cells", JsonArray(cells))
                       .Bool("selected", (state & LVIS_SELECTED) != 0)
                       .Bool("focused", (state & LVIS_FOCUSED) != 0)
                       .Int("stateImage", static_cast<long long>((state & LVIS_STATEIMAGEMASK) >> 12))
                       .Done());
  }
  o.Raw("columns", JsonArray(cols)).Raw("rows", JsonArray(rows));
}

string ControlJson(HWND c) {
  Obj o = WindowFacts(c);
  o.Int("id", GetDlgCtrlID(c)).Int("parent", HandleValue(GetParent(c)));
  wstring cls = ClassOf(c);
  DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
  if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) {
    long long sel = -1;
    o.Raw("items", ComboItems(c, sel)).Int("cursel", sel);
    o.Bool("dropped", SendQuick(c, CB_GETDROPPEDSTATE, 0, 0) != 0);
  } else if (lstrcmpiW(cls.c_str(), L"ListBox") == 0 || lstrcmpiW(cls.c_str(), L"ComboLBox") == 0) {
    long long sel = -1;
    o.Raw("items", ListBoxItems(c, sel)).Int("cursel", sel);
  } else if (lstrcmpiW(cls.c_str(), WC_LISTVIEWW) == 0) {
    ListViewFacts(c, o);
  } else if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
    DWORD kind = style & BS_TYPEMASK;
    if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
        kind == BS_AUTO3STATE || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON)
      o.Int("checked", SendQuick(c, BM_GETCHECK, 0, 0));
  } else if (lstrcmpiW(cls.c_str(), PROGRESS_CLASSW) == 0) {
    o.Int("pos", SendQuick(c, PBM_GETPOS, 0, 0));
  }
  return o.Done();
}

// ---------------------------------------------------------------- commands

struct Filter {
  wstring cls, caption, contains, exe;
  long long pid = -1;
  bool visibleOnly = false;
};

Filter ParseFilter(const vector<wstring>& a, size_t from) {
  Filter f;
  for (size_t i = from; i < a.size(); ++i) {
    const wstring& s = a[i];
    size_t eq = s.find(L'=');
    wstring key = eq == wstring::npos ? s : s.substr(0, eq);
    wstring val = eq == wstring::npos ? wstring() : s.substr(eq + 1);
    if (key == L"class") f.cls = val;
    else if (key == L"caption") f.caption = val;
    else if (key == L"contains") f.contains = val;
    else if (key == L"exe") f.exe = val;
    else if (key == L"pid") {
      if (!ParseInt(val, f.pid)) Fail("pid=N expected");
    } else if (key == L"visible") f.visibleOnly = true;
    else Fail("unknown filter " + ToUtf8(s));
  }
  return f;
}

struct EnumState {
  const Filter* filter;
  vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
  EnumState& st = *reinterpret_cast<EnumState*>(lp);
  const Filter& f = *st.filter;
  if (f.visibleOnly && !IsWindowVisible(h)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId()) return TRUE;
  if (f.pid >= 0 && static_cast<long long>(pid) != f.pid) return TRUE;
  if (!f.cls.empty() && lstrcmpiW(ClassOf(h).c_str(), f.cls.c_str()) != 0) return TRUE;
  if (!f.caption.empty() || !f.contains.empty()) {
    wchar_t buf[1024] = {};
    InternalGetWindowText(h, buf, 1024);
    if (!f.caption.empty() && f.caption != buf) return TRUE;
    if (!f.contains.empty() && wstring(buf).find(f.contains) == wstring::npos) return TRUE;
  }
  if (!f.exe.empty() && lstrcmpiW(ExeOf(pid).c_str(), f.exe.c_str()) != 0) return TRUE;
  st.found.push_back(h);
  return TRUE;
}

vector<HWND> TopWindows(const Filter& f) {
  EnumState st{&f, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&st));
  return st.found;
}

string WindowsJson(const vector<HWND>& hs) {
  vector<string> items;
  for (HWND h : hs) items.push_back(TopFacts(h).Done());
  return JsonArray(items);
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
  reinterpret_cast<vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

vector<HWND> Descendants(HWND top) {
  vector<HWND> hs;
  EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&hs));
  return hs;
}

void Post(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(h, msg, wp, lp)) FailWin32("PostMessage");
}

WORD VirtualKeyNamed(const wstring& name) {
  struct Key {
    const wchar_t* name;
    WORD vk;
  };
  static const Key keys[] = {{L"enter", VK_RETURN}, {L"escape", VK_ESCAPE}, {L"tab", VK_TAB},
                             {L"space", VK_SPACE},  {L"up", VK_UP},         {L"down", VK_DOWN},
                             {L"left", VK_LEFT},    {L"right", VK_RIGHT},   {L"f4", VK_F4}};
  for (const Key& k : keys)
    if (lstrcmpiW(k.name, name.c_str()) == 0) return k.vk;
  long long v = 0;
  if (ParseInt(name, v) && v > 0 && v < 256) return static_cast<WORD>(v);
  Fail("unknown key " + ToUtf8(name));
}

// The window of `top`'s thread that has the keyboard focus, if it is `top`
// or inside it; otherwise `top`.
HWND FocusIn(HWND top) {
  GUITHREADINFO gi = {};
  gi.cbSize = sizeof gi;
  DWORD tid = GetWindowThreadProcessId(top, nullptr);
  if (GetGUIThreadInfo(tid, &gi) && gi.hwndFocus &&
      (gi.hwndFocus == top || IsChild(top, gi.hwndFocus)))
    return gi.hwndFocus;
  return top;
}

// Message box facts: its text is the static control 65535.
string MsgBoxJson(HWND box) {
  Obj o = TopFacts(box);
  HWND text = GetDlgItem(box, 0xFFFF);
  o.Str("message", text ? TextOf(text) : wstring());
  vector<string> buttons;
  for (HWND c : Descendants(box)) {
    if (lstrcmpiW(ClassOf(c).c_str(), L"Button") != 0 || !IsWindowVisible(c)) continue;
    buttons.push_back(Obj().Int("id", GetDlgCtrlID(c)).Str("text", TextOf(c)).Done());
  }
  o.Raw("buttons", JsonArray(buttons));
  // The box's icon is a visible SS_ICON static holding an icon; a box
  // without an icon style hides it or leaves it empty.
  bool icon = false;
  for (HWND c : Descendants(box)) {
    if (lstrcmpiW(ClassOf(c).c_str(), L"Static") != 0 || !IsWindowVisible(c)) continue;
    DWORD style = static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE));
    if ((style & SS_TYPEMASK) == SS_ICON && SendQuick(c, STM_GETICON, 0, 0) != 0) icon = true;
  }
  o.Bool("icon", icon);
  return o.Done();
}

wstring WithoutMnemonic(const wstring& s) {
  wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) {
      out += s[++i];
      continue;
    }
    out += s[i];
  }
  return out;
}

void PostClick(HWND button) { Post(button, BM_CLICK, 0, 0); }

string Run(const vector<wstring>& a) {
  if (a.empty()) Fail("no command");
  const wstring& cmd = a[0];
  Obj o;
  o.Bool("ok", true);

  if (cmd == L"info") {
    wchar_t docs[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, docs);
    wchar_t programFiles[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%ProgramFiles%", programFiles, MAX_PATH);
    o.Int("systemLcid", GetSystemDefaultLCID())
        .Int("userLcid", GetUserDefaultLCID())
        .Int("uiLanguage", GetUserDefaultUILanguage())
        .Int("acp", GetACP())
        .Str("documents", docs)
        .Str("programFiles", programFiles);
    return o.Done();
  }
  if (cmd == L"windows") {
    return o.Raw("windows", WindowsJson(TopWindows(ParseFilter(a, 1)))).Done();
  }
  if (cmd == L"find") {
    // find <timeout_ms> <filters...>: waits for at least one match.
    long long timeout = NeedInt(a, 1, "timeout in ms");
    Filter f = ParseFilter(a, 2);
    DWORD start = GetTickCount();
    for (;;) {
      vector<HWND> hs = TopWindows(f);
      if (!hs.empty()) return o.Raw("windows", WindowsJson(hs)).Done();
      if (static_cast<long long>(GetTickCount() - start) >= timeout) Fail("timeout");
      Sleep(50);
    }
  }
  if (cmd == L"dump") {
    HWND h = NeedWindow(a, 1);
    vector<string> kids;
    for (HWND c : Descendants(h)) kids.push_back(ControlJson(c));
    Obj w = TopFacts(h);
    w.Raw("children", JsonArray(kids));
    return o.Raw("window", w.Done()).Done();
  }
  if (cmd == L"control") {
    HWND h = NeedWindow(a, 1);
    return o.Raw("control", ControlJson(NeedControl(h, a, 2))).Done();
  }
  if (cmd == L"click") {
    // click <hwnd> <id|self>: BM_CLICK, posted.
    HWND h = NeedWindow(a, 1);
    PostClick(NeedControl(h, a, 2));
    return o.Done();
  }
  if (cmd == L"command") {
    // command <hwnd> <id> [notification]: WM_COMMAND posted to the window,
    // carrying the control's handle when it exists.
    HWND h = NeedWindow(a, 1);
    long long id = NeedInt(a, 2, "command id");
    long long code = a.size() > 3 ? NeedInt(a, 3, "notification code") : BN_CLICKED;
    HWND c = GetDlgItem(h, static_cast<int>(id));
    Post(h, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)),
         reinterpret_cast<LPARAM>(c));
    return o.Done();
  }
  if (cmd == L"select") {
    // select <hwnd> <id> <index> | select <hwnd> <id> text=<item text>
    HWND h = NeedWindow(a, 1);
    HWND c = NeedControl(h, a, 2);
    if (a.size() < 4) Fail("index or text=... expected");
    long long index = -1;
    if (a[3].rfind(L"text=", 0) == 0) {
      wstring want = a[3].substr(5);
      long long n = SendQuick(c, CB_GETCOUNT, 0, 0);
      for (long long i = 0; i < n && index < 0; ++i) {
        long long len = SendQuick(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        vector<wchar_t> buf(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
        SendQuick(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
        buf.back() = L'\0';
        if (want == buf.data()) index = i;
      }
      if (index < 0) Fail("no item " + ToUtf8(want));
    } else {
      index = NeedInt(a, 3, "index");
    }
    // An index out of range would clear the selection: refuse it untouched.
    long long count = SendQuick(c, CB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count) Fail("no item at index " + std::to_string(index));
    if (SendQuick(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR)
      Fail("CB_SETCURSEL refused index " + std::to_string(index));
    // CB_SETCURSEL does not notify: tell the parent as a user selection would.
    Post(GetParent(c), WM_COMMAND,
         MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(c)), CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(c));
    return o.Int("cursel", SendQuick(c, CB_GETCURSEL, 0, 0)).Done();
  }
  if (cmd == L"lvselect") {
    // lvselect <hwnd> <id> <row>: selects and focuses one list-view row; the
    // list view itself notifies its parent (LVN_ITEMCHANGED).
    HWND h = NeedWindow(a, 1);
    HWND c = NeedControl(h, a, 2);
    long long row = NeedInt(a, 3, "row");
    UniqueHandle process = OpenTargetProcess(c);
    RemoteBlock block(process.get(), sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    block.Write(0, &item, sizeof item);
    if (!SendQuick(c, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0))))
      Fail("LVM_SETITEMSTATE failed");
    return o.Done();
  }
  if (cmd == L"tvselect") {
    // tvselect <hwnd> <id> <item text>: selects the first tree-view item,
    // depth first over the items loaded so far, whose text is exactly this
    // one; the tree view notifies its parent itself (TVN_SELCHANGED).
    HWND h = NeedWindow(a, 1);
    HWND c = NeedControl(h, a, 2);
    if (a.size() < 4) Fail("item text expected");
    UniqueHandle process = OpenTargetProcess(c);
    const size_t textOffset = 512;  // after the TVITEMW structure
    RemoteBlock block(process.get(), textOffset + kRemoteTextChars * sizeof(wchar_t));
    auto textOf = [&](HTREEITEM item) {
      TVITEMW it = {};
      it.mask = TVIF_TEXT | TVIF_HANDLE;
      it.hItem = item;
      it.pszText = static_cast<wchar_t*>(block.At(textOffset));
      it.cchTextMax = kRemoteTextChars;
      block.Write(0, &it, sizeof it);
      wchar_t buf[kRemoteTextChars] = {};
      if (!SendQuick(c, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.At(0)))) return wstring();
      block.Read(textOffset, buf, sizeof buf);
      buf[kRemoteTextChars - 1] = L'\0';
      return wstring(buf);
    };
    auto next = [&](UINT how, HTREEITEM from) {
      return reinterpret_cast<HTREEITEM>(
          SendQuick(c, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
    };
    vector<HTREEITEM> pending{next(TVGN_ROOT, nullptr)};
    HTREEITEM found = nullptr;
    while (!pending.empty() && !found) {
      HTREEITEM item = pending.back();
      pending.pop_back();
      if (!item) continue;
      if (textOf(item) == a[3]) {
        found = item;
        break;
      }
      pending.push_back(next(TVGN_NEXT, item));
      pending.push_back(next(TVGN_CHILD, item));
    }
    if (!found) Fail("no item " + ToUtf8(a[3]));
    if (!SendQuick(c, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found)))
      Fail("TVM_SELECTITEM failed");
    return o.Done();
  }
  if (cmd == L"settext") {
    // settext <hwnd> <id|self> <text>: WM_SETTEXT; answers with the text read back.
    HWND h = NeedWindow(a, 1);
    HWND c = NeedControl(h, a, 2);
    if (a.size() < 4) Fail("text expected");
    if (!SendQuick(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()))) Fail("WM_SETTEXT refused");
    return o.Str("text", TextOf(c)).Done();
  }
  if (cmd == L"key") {
    // key <hwnd> <name|vk>: key down and up, posted to the focused control
    // inside the window (the dialog's own message loop then handles it).
    HWND h = NeedWindow(a, 1);
    WORD vk = VirtualKeyNamed(a.size() > 2 ? a[2] : wstring());
    HWND target = FocusIn(h);
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1LL << 30) | (1LL << 31);
    Post(target, WM_KEYDOWN, vk, down);
    // The key going down may already have ended the window (Escape or Enter
    // on a dialog): its key-up then has nobody to go to, which is no error.
    if (!PostMessageW(target, WM_KEYUP, vk, up) && IsWindow(target)) FailWin32("PostMessage");
    return o.Int("target", HandleValue(target)).Done();
  }
  if (cmd == L"close") {
    // close <hwnd> [sc|wm]: the close box (SC_CLOSE, default) or WM_CLOSE.
    HWND h = NeedWindow(a, 1);
    if (a.size() > 2 && a[2] == L"wm") Post(h, WM_CLOSE, 0, 0);
    else if (a.size() <= 2 || a[2] == L"sc") Post(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    else Fail("sc or wm expected");
    return o.Done();
  }
  if (cmd == L"clickwait") {
    // clickwait <hwnd> <click id> <watch id> <hidden|visible|enabled|disabled> <timeout ms>:
    // posts BM_CLICK to one control, then polls another until it is in that
    // state; answers the time between the two, measured here with the
    // performance counter, so that timings carry no harness latency.
    HWND h = NeedWindow(a, 1);
    HWND button = NeedControl(h, a, 2);
    HWND watched = NeedControl(h, a, 3);
    if (a.size() < 5) Fail("state expected");
    const wstring& state = a[4];
    long long timeout = NeedInt(a, 5, "timeout in ms");
    auto reached = [&] {
      if (state == L"hidden") return !IsWindowVisible(watched);
      if (state == L"visible") return IsWindowVisible(watched) != FALSE;
      if (state == L"enabled") return IsWindowEnabled(watched) != FALSE;
      if (state == L"disabled") return !IsWindowEnabled(watched);
      Fail("hidden, visible, enabled or disabled expected");
    };
    reached();  // checks the state's name before anything is clicked
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostClick(button);
    for (;;) {
      QueryPerformanceCounter(&now);
      double ms = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
                  static_cast<double>(frequency.QuadPart);
      if (!IsWindow(watched)) Fail("the watched control is gone");
      if (reached()) return o.Int("ms", static_cast<long long>(ms + 0.5)).Done();
      if (ms >= static_cast<double>(timeout)) Fail("timeout");
      Sleep(1);
    }
  }
  if (cmd == L"waitgone") {
    HWND h = nullptr;
    if (a.size() < 2 || !ParseHwnd(a[1], h)) Fail("window handle expected");
    long long timeout = NeedInt(a, 2, "timeout in ms");
    DWORD start = GetTickCount();
    while (IsWindow(h)) {
      if (static_cast<long long>(GetTickCount() - start) >= timeout) Fail("timeout");
      Sleep(50);
    }
    return o.Done();
  }
  if (cmd == L"send") {
    // send <hwnd> <msg> [wparam] [lparam]: a message without pointers, sent
    // with a timeout; answers with its result.
    HWND h = NeedWindow(a, 1);
    long long msg = NeedInt(a, 2, "message");
    long long wp = a.size() > 3 ? NeedInt(a, 3, "wparam") : 0;
    long long lp = a.size() > 4 ? NeedInt(a, 4, "lparam") : 0;
    return o.Int("result", SendQuick(h, static_cast<UINT>(msg), static_cast<WPARAM>(wp),
                                     static_cast<LPARAM>(lp)))
        .Done();
  }
  if (cmd == L"move") {
    // move <hwnd> <x> <y>: moves a top-level window (keeps its size and
    // Z order), e.g. so that a screenshot of the window below shows it.
    HWND h = NeedWindow(a, 1);
    long long x = NeedInt(a, 2, "x"), y = NeedInt(a, 3, "y");
    if (!SetWindowPos(h, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
      FailWin32("SetWindowPos");
    return o.Done();
  }
  if (cmd == L"redraw") {
    // redraw <hwnd>: invalidates the window with its frame and children, then
    // waits until its thread has taken the messages queued before; the paint
    // itself follows when that thread is idle.
    HWND h = NeedWindow(a, 1);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    SendQuick(h, WM_NULL, 0, 0);
    return o.Done();
  }
  if (cmd == L"msgbox") {
    return o.Raw("box", MsgBoxJson(NeedWindow(a, 1))).Done();
  }
  if (cmd == L"press") {
    // press <box> <button id|button text>: clicks a message box button.
    HWND box = NeedWindow(a, 1);
    if (a.size() < 3) Fail("button expected");
    HWND button = nullptr;
    long long id = 0;
    if (ParseInt(a[2], id)) {
      button = GetDlgItem(box, static_cast<int>(id));
    } else {
      for (HWND c : Descendants(box))
        if (lstrcmpiW(ClassOf(c).c_str(), L"Button") == 0 &&
            lstrcmpiW(WithoutMnemonic(TextOf(c)).c_str(), WithoutMnemonic(a[2]).c_str()) == 0)
          button = c;
    }
    if (!button) Fail("no such button");
    PostClick(button);
    return o.Int("id", GetDlgCtrlID(button)).Done();
  }
  if (RunSystemCommand(a, o)) return o.Done();
  Fail("unknown command " + ToUtf8(cmd));
}

string Answer(const vector<wstring>& a) {
  try {
    return Run(a);
  } catch (const Failure& f) {
    return Obj().Bool("ok", false).Raw("error", JsonString(f.message.c_str())).Done();
  } catch (const std::exception& e) {
    return Obj().Bool("ok", false).Raw("error", JsonString(e.what())).Done();
  }
}

void WriteLine(const string& s) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  string line = s + "\n";
  DWORD done = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
}

int Serve() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  string pending;
  char buf[4096];
  for (;;) {
    size_t nl;
    while ((nl = pending.find('\n')) != string::npos) {
      string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (line.find_first_not_of(" \t\r") == string::npos) continue;
      vector<wstring> args;
      if (!ParseStringArray(line, args)) {
        WriteLine(Obj().Bool("ok", false).Raw("error", JsonString("bad command line")).Done());
        continue;
      }
      if (!args.empty() && args[0] == L"quit") {
        WriteLine(Obj().Bool("ok", true).Done());
        return 0;
      }
      WriteLine(Answer(args));
    }
    DWORD got = 0;
    if (!ReadFile(in, buf, sizeof buf, &got, nullptr) || got == 0) return 0;
    pending.append(buf, got);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  vector<wstring> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == L"serve") return Serve();
  string answer = Answer(args);
  WriteLine(answer);
  return answer.rfind("{\"ok\":true", 0) == 0 ? 0 : 1;
}
