#include "about/SystemFacts_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "window/Application_win32.h"

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query needs the ANSI record size");

std::optional<std::string> ModulePath()
{
    std::string path = Application::Instance().ModulePath();
    if (path.empty()) return std::nullopt;
    return path;
}

// One node of a version block: a UTF-16 key, a value and child nodes, each
// part starting on a 32-bit boundary counted from the block's start.
struct VersionNode {
    std::wstring key;
    const BYTE* value = nullptr;
    size_t valueBytes = 0;
    const BYTE* children = nullptr;
    const BYTE* end = nullptr;
};

const BYTE* Aligned(const BYTE* base, const BYTE* p)
{
    return base + ((static_cast<size_t>(p - base) + 3) & ~static_cast<size_t>(3));
}

WORD ReadWord(const BYTE* p)
{
    WORD word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// None when the node does not lie wholly before limit.
std::optional<VersionNode> ReadNode(const BYTE* base, const BYTE* p, const BYTE* limit)
{
    if (limit - p < 6) return std::nullopt;
    const WORD length = ReadWord(p), valueLength = ReadWord(p + 2), type = ReadWord(p + 4);
    if (length < 6 || length > limit - p) return std::nullopt;
    VersionNode node;
    node.end = p + length;
    const BYTE* q = p + 6;
    for (;; q += 2) {
        if (node.end - q < 2) return std::nullopt;
        const WORD c = ReadWord(q);
        if (c == 0) break;
        node.key += static_cast<wchar_t>(c);
    }
    q = Aligned(base, q + 2);
    if (q > node.end) return std::nullopt;
    // Text values count characters, binary ones bytes; some compilers count
    // text in bytes too, so the length is only trusted up to the node's end.
    node.valueBytes = std::min<size_t>(type == 1 ? valueLength * 2u : valueLength, node.end - q);
    node.value = q;
    node.children = Aligned(base, q + node.valueBytes);
    return node;
}

// Keys compare without regard to case, as the system's lookup does.
bool SameKey(const std::wstring& key, const char* wanted)
{
    auto fold = [](unsigned c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    if (key.size() != std::strlen(wanted)) return false;
    for (size_t i = 0; i < key.size(); ++i)
        if (fold(static_cast<unsigned>(key[i])) != fold(static_cast<unsigned char>(wanted[i]))) return false;
    return true;
}

std::optional<VersionNode> Child(const BYTE* base, const VersionNode& parent, const char* key)
{
    for (const BYTE* p = parent.children; p < parent.end; p = Aligned(base, p)) {
        const auto node = ReadNode(base, p, parent.end);
        if (!node) return std::nullopt;
        if (SameKey(node->key, key)) return node;
        p = node->end;
    }
    return std::nullopt;
}

std::optional<std::string> BuildString(const BYTE* base, const VersionNode& root, const char* name)
{
    auto node = Child(base, root, "StringFileInfo");
    if (node) node = Child(base, *node, "040904B0");
    if (node) node = Child(base, *node, name);
    if (!node) return std::nullopt;
    std::wstring text;
    for (size_t i = 0; i < node->valueBytes / 2; ++i) {
        const WORD c = ReadWord(node->value + 2 * i);
        if (c == 0) break;
        text += static_cast<wchar_t>(c);
    }
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    std::string value(WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, &value[0], static_cast<int>(value.size()), nullptr,
                        nullptr);
    return value;
}

// The program's own version block, read from its resources rather than
// through the version library: that DLL is not among the ones the system
// always takes from its own folder.
std::optional<VersionFacts> Version()
{
    HMODULE module = Application::Instance().Handle();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                 MAKEINTRESOURCEA(16) /* RT_VERSION */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* base = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!base) return std::nullopt;
    const auto root = ReadNode(base, base, base + SizeofResource(module, found));
    if (!root || !SameKey(root->key, "VS_VERSION_INFO") || root->valueBytes < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root->value, sizeof fixed);
    if (fixed.dwSignature != 0xFEEF04BD) return std::nullopt;

    VersionFacts facts;
    facts.productVersionMS = fixed.dwProductVersionMS;
    facts.productVersionLS = fixed.dwProductVersionLS;
    facts.fileFlags = fixed.dwFileFlags;
    facts.specialBuild = BuildString(base, *root, "SpecialBuild");
    facts.privateBuild = BuildString(base, *root, "PrivateBuild");
    return facts;
}

}  // namespace

SystemFacts GatherSystemFacts()
{
    SystemFacts facts;
    facts.modulePath = ModulePath();
    if (facts.modulePath) facts.version = Version();

    char name[16] = "Unknown";
    DWORD nameSize = sizeof name;
    if (GetComputerNameA(name, &nameSize)) facts.computerName = name;

    SYSTEM_INFO info;
    GetSystemInfo(&info);
    facts.processorCount = info.dwNumberOfProcessors;
    facts.processorType = info.dwProcessorType;
    facts.oemId = info.dwOemId;

    OSVERSIONINFOA os{};
    os.dwOSVersionInfoSize = sizeof os;
    if (GetVersionExA(&os)) facts.os = OsFacts{os.dwPlatformId, os.dwMinorVersion, os.szCSDVersion};
    return facts;
}
