#include "window/Application_win32.h"

#include <objbase.h>

#include "window/Handles_win32.h"
#include "files/ModulePath.h"
#include <cstdlib>

namespace {

Application* current = nullptr;

std::string ModuleFileName(HINSTANCE instance)
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(instance, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

Application::Application(HINSTANCE instance)
    : apartment_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)),
      instance_(instance),
      name_(FileTitle(ModuleFileName(instance))),
      profile_(name_ + ".INI")
{
    current = this;
}

Application::~Application()
{
    if (current == this) current = nullptr;
    if (SUCCEEDED(apartment_)) CoUninitialize();
}

Application& Application::Instance()
{
    // Everything that asks runs after WinMain built the object; a missing
    // one is a programming error that must not limp on.
    if (!current) std::abort();
    return *current;
}

std::string Application::ModulePath() const
{
    return ModuleFileName(instance_);
}

std::string Application::HelpFilePath() const
{
    return ReplaceExtension(ModulePath(), ".HLP");
}

std::string Application::LoadString(unsigned id) const
{
    char buffer[4096];
    const int length = ::LoadStringA(instance_, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// Not LR_SHARED: the shared copy would be the first size ever asked for.
Icon Application::LoadIcon(unsigned id, int sizeMetric) const
{
    const int size = GetSystemMetrics(sizeMetric);
    return Icon(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

WindowIcon Application::LoadWindowIcon(unsigned id) const
{
    return {LoadIcon(id, SM_CXICON), LoadIcon(id, SM_CXSMICON)};
}

bool Application::WinHelp(HWND window, unsigned command, ULONG_PTR data)
{
    const std::string path = HelpFilePath();
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    return ::WinHelpA(window, path.c_str(), command, data) != FALSE;
}

bool Application::RunsElevated()
{
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL known = GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size);
    return !known || elevation.TokenIsElevated != 0;
}

void Application::BeginWaitCursor()
{
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (waitCursorDepth_++ == 0) cursorBeforeWait_ = previous;
}

void Application::EndWaitCursor()
{
    if (waitCursorDepth_ == 0) return;
    if (--waitCursorDepth_ == 0) SetCursor(cursorBeforeWait_);
}

void Application::EnableModeless(bool) {}
