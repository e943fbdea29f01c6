/* Placeholder uninstaller: says that it cannot uninstall yet, and fails. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show)
{
    (void)instance;
    (void)previous;
    (void)command_line;
    (void)show;
    MessageBoxW(NULL, L"Uninstallation is not implemented yet.", L"Label Printer Driver Setup",
                MB_OK | MB_ICONINFORMATION);
    return 1;
}
