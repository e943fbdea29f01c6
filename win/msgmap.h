// Per-class message maps.
//
// A class declares DECLARE_MESSAGE_MAP() and defines a static table between
// BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(). Each entry names a
// message (and, for WM_COMMAND, a control id and a notification code) and a
// handler member; a small template thunk turns the member into a plain
// function pointer, so the table is constant data with no casts of member
// pointers. Lookup walks the class's table, then the base class's.
//
//   BEGIN_MESSAGE_MAP(CMyDialog, win::CDialog)
//       ON_BN_CLICKED(1002, OnBrowse)          // void OnBrowse()
//       ON_CBN_SELCHANGE(1025, OnSelchange)    // void OnSelchange()
//       ON_WM_PAINT(OnPaint)                   // void OnPaint()
//       ON_MESSAGE(WM_APP, OnApp)              // LRESULT OnApp(WPARAM, LPARAM)
//   END_MESSAGE_MAP()
#pragma once

#include <windows.h>

namespace win {

class CWnd;

using MsgHandler = LRESULT (*)(CWnd* self, UINT message, WPARAM wParam, LPARAM lParam);

struct MsgEntry {
    UINT message;  // 0 ends the table
    UINT code;     // WM_COMMAND: notification code; kAnyCode matches any
    UINT id;       // WM_COMMAND: control id
    MsgHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MsgEntry* entries;
};

constexpr UINT kAnyCode = 0xFFFFFFFFu;

// Finds the handler for a message in a map chain; null when none.
MsgHandler FindHandler(const MessageMap* map, UINT message, WPARAM wParam);

namespace thunk {
template <class T, void (T::*F)()>
LRESULT Void(CWnd* self, UINT, WPARAM, LPARAM) {
    (static_cast<T*>(self)->*F)();
    return 0;
}
template <class T, LRESULT (T::*F)(WPARAM, LPARAM)>
LRESULT Raw(CWnd* self, UINT, WPARAM w, LPARAM l) {
    return (static_cast<T*>(self)->*F)(w, l);
}
template <class T, void (T::*F)(UINT, POINT)>
LRESULT Mouse(CWnd* self, UINT, WPARAM w, LPARAM l) {
    POINT pt{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    (static_cast<T*>(self)->*F)(static_cast<UINT>(w), pt);
    return 0;
}
template <class T, HBRUSH (T::*F)(HDC, HWND, UINT)>
LRESULT CtlColor(CWnd* self, UINT message, WPARAM w, LPARAM l) {
    // CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC follow the message numbers.
    const UINT type = message - WM_CTLCOLORMSGBOX;
    return reinterpret_cast<LRESULT>(
        (static_cast<T*>(self)->*F)(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), type));
}
template <class T, void (T::*F)(UINT, LPARAM)>
LRESULT SysCommand(CWnd* self, UINT, WPARAM w, LPARAM l) {
    (static_cast<T*>(self)->*F)(static_cast<UINT>(w), l);
    return 0;
}
template <class T, HCURSOR (T::*F)()>
LRESULT QueryDragIcon(CWnd* self, UINT, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<T*>(self)->*F)());
}
template <class T, BOOL (T::*F)(HDC)>
LRESULT EraseBkgnd(CWnd* self, UINT, WPARAM w, LPARAM) {
    return (static_cast<T*>(self)->*F)(reinterpret_cast<HDC>(w));
}
}  // namespace thunk

}  // namespace win

#define DECLARE_MESSAGE_MAP()                             \
protected:                                                \
    static const ::win::MessageMap* GetThisMessageMap();  \
    const ::win::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const ::win::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const ::win::MessageMap* theClass::GetThisMessageMap() {                                   \
        using ThisClass = theClass;                                                            \
        using BaseClass = baseClass;                                                           \
        static const ::win::MsgEntry kEntries[] = {
#define END_MESSAGE_MAP()                                                        \
    {0, 0, 0, nullptr}                                                           \
    }                                                                            \
    ;                                                                            \
    static const ::win::MessageMap kMap{BaseClass::GetThisMessageMap(), kEntries}; \
    return &kMap;                                                                \
    }

#define ON_COMMAND(id, fn) {WM_COMMAND, ::win::kAnyCode, (id), &::win::thunk::Void<ThisClass, &ThisClass::fn>},
#define ON_CONTROL(code, id, fn) {WM_COMMAND, (code), (id), &::win::thunk::Void<ThisClass, &ThisClass::fn>},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_MESSAGE(msg, fn) {(msg), 0, 0, &::win::thunk::Raw<ThisClass, &ThisClass::fn>},
#define ON_WM_PAINT(fn) {WM_PAINT, 0, 0, &::win::thunk::Void<ThisClass, &ThisClass::fn>},
#define ON_WM_DESTROY(fn) {WM_DESTROY, 0, 0, &::win::thunk::Void<ThisClass, &ThisClass::fn>},
#define ON_WM_MOUSELEAVE(fn) {WM_MOUSELEAVE, 0, 0, &::win::thunk::Void<ThisClass, &ThisClass::fn>},
#define ON_WM_MOUSEMOVE(fn) {WM_MOUSEMOVE, 0, 0, &::win::thunk::Mouse<ThisClass, &ThisClass::fn>},
#define ON_WM_LBUTTONDOWN(fn) {WM_LBUTTONDOWN, 0, 0, &::win::thunk::Mouse<ThisClass, &ThisClass::fn>},
#define ON_WM_LBUTTONUP(fn) {WM_LBUTTONUP, 0, 0, &::win::thunk::Mouse<ThisClass, &ThisClass::fn>},
#define ON_WM_SYSCOMMAND(fn) {WM_SYSCOMMAND, 0, 0, &::win::thunk::SysCommand<ThisClass, &ThisClass::fn>},
#define ON_WM_QUERYDRAGICON(fn) {WM_QUERYDRAGICON, 0, 0, &::win::thunk::QueryDragIcon<ThisClass, &ThisClass::fn>},
#define ON_WM_ERASEBKGND(fn) {WM_ERASEBKGND, 0, 0, &::win::thunk::EraseBkgnd<ThisClass, &ThisClass::fn>},
// One handler for every WM_CTLCOLOR* message: HBRUSH fn(HDC, HWND control, UINT ctlType).
#define ON_WM_CTLCOLOR(fn)                                                                   \
    {WM_CTLCOLORSTATIC, 0, 0, &::win::thunk::CtlColor<ThisClass, &ThisClass::fn>},          \
        {WM_CTLCOLOREDIT, 0, 0, &::win::thunk::CtlColor<ThisClass, &ThisClass::fn>},        \
        {WM_CTLCOLORLISTBOX, 0, 0, &::win::thunk::CtlColor<ThisClass, &ThisClass::fn>},     \
        {WM_CTLCOLORBTN, 0, 0, &::win::thunk::CtlColor<ThisClass, &ThisClass::fn>},         \
        {WM_CTLCOLORDLG, 0, 0, &::win::thunk::CtlColor<ThisClass, &ThisClass::fn>},         \
        {WM_CTLCOLORSCROLLBAR, 0, 0, &::win::thunk::CtlColor<ThisClass, &ThisClass::fn>},
