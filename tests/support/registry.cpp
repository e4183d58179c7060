// Registry helpers the suites share.
#include "registry.h"

namespace qvtest {

std::wstring Widen(const std::string &text)
{
    int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(chars > 0 ? chars : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], chars);
    wide.resize(chars > 0 ? chars - 1 : 0);
    return wide;
}

void DeleteTree(HKEY root, const std::string &path)
{
    ::DeleteTree(root, Widen(path));
}

bool KeyExists(HKEY root, const std::string &path)
{
    HKEY opened;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool ReadDword(HKEY root, const std::string &path, const char *value, DWORD *data)
{
    HKEY opened;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof *data;
    LONG result = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *data;
}

RegistrySandbox::RegistrySandbox(HKEY root, std::initializer_list<std::string> paths) : root_(root)
{
    for (const std::string &path : paths) {
        saved_.emplace_back(path, ReadTree(root_, Widen(path)));
        DeleteTree(root_, path);
    }
}

RegistrySandbox::~RegistrySandbox()
{
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        DeleteTree(root_, it->first);
        if (it->second)
            WriteTree(root_, Widen(it->first), *it->second);
    }
}

} // namespace qvtest
