#include "regtree.h"
#include <sstream>

namespace {

constexpr DWORD kMaxNameChars = 16384;

std::string Narrow(const std::wstring &text)
{
    std::string out;
    for (wchar_t c : text)
        out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    return out.size() > 60 ? out.substr(0, 60) + "...(" + std::to_string(out.size()) + ")" : out;
}

RegTree ReadOpen(HKEY key)
{
    RegTree tree;
    DWORD maxData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxData,
                     nullptr, nullptr);
    // Wine under-reports the length of a long class when asked without a
    // buffer, so the class is read into a buffer of the largest size.
    std::vector<wchar_t> cls(kMaxNameChars + 1);
    DWORD classChars = static_cast<DWORD>(cls.size());
    if (RegQueryInfoKeyW(key, cls.data(), &classChars, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr)
        == ERROR_SUCCESS)
        tree.keyClass.assign(cls.data(), classChars);

    std::vector<wchar_t> name(kMaxNameChars + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        DWORD type = 0, bytes = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, name.data(), &nameChars, nullptr, &type, data.data(), &bytes)
            != ERROR_SUCCESS)
            break;
        tree.values[std::wstring(name.data(), nameChars)]
            = RegValue {type, {data.begin(), data.begin() + bytes}};
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameChars, nullptr, nullptr, nullptr, nullptr)
            != ERROR_SUCCESS)
            break;
        std::wstring sub(name.data(), nameChars);
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
            tree.subkeys[sub] = ReadOpen(child);
            RegCloseKey(child);
        }
    }
    return tree;
}

LONG WriteOpen(HKEY key, const RegTree &tree)
{
    for (const auto &[name, value] : tree.values) {
        LONG rc = RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size()));
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    for (const auto &[name, sub] : tree.subkeys) {
        HKEY child = nullptr;
        LONG rc
            = RegCreateKeyExW(key, name.c_str(), 0,
                              sub.keyClass.empty() ? nullptr : const_cast<wchar_t *>(sub.keyClass.c_str()),
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr);
        if (rc != ERROR_SUCCESS)
            return rc;
        rc = WriteOpen(child, sub);
        RegCloseKey(child);
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

std::string Compare(const RegTree &expected, const RegTree &actual, const std::wstring &where, bool withClass)
{
    std::ostringstream out;
    if (withClass && expected.keyClass != actual.keyClass) {
        out << Narrow(where) << ": class '" << Narrow(expected.keyClass) << "' became '"
            << Narrow(actual.keyClass) << "'";
        return out.str();
    }
    for (const auto &[name, value] : expected.values) {
        auto it = actual.values.find(name);
        if (it == actual.values.end())
            out << Narrow(where) << ": value '" << Narrow(name) << "' missing";
        else if (it->second.type != value.type)
            out << Narrow(where) << ": value '" << Narrow(name) << "' type " << value.type << " became "
                << it->second.type;
        else if (it->second.data != value.data)
            out << Narrow(where) << ": value '" << Narrow(name) << "' data of " << value.data.size()
                << " bytes became " << it->second.data.size() << " other bytes";
        if (!out.str().empty())
            return out.str();
    }
    for (const auto &entry : actual.values)
        if (!expected.values.count(entry.first))
            return Narrow(where) + ": unexpected value '" + Narrow(entry.first) + "'";
    for (const auto &[name, sub] : expected.subkeys) {
        auto it = actual.subkeys.find(name);
        if (it == actual.subkeys.end())
            return Narrow(where) + ": subkey '" + Narrow(name) + "' missing";
        std::string inner = Compare(sub, it->second, where + L"\\" + name, true);
        if (!inner.empty())
            return inner;
    }
    for (const auto &entry : actual.subkeys)
        if (!expected.subkeys.count(entry.first))
            return Narrow(where) + ": unexpected subkey '" + Narrow(entry.first) + "'";
    return {};
}

} // namespace

void PrintTo(const RegValue &value, std::ostream *os)
{
    *os << "type " << value.type << " [" << value.data.size() << " bytes]";
    if (value.type == REG_SZ)
        *os << " \"" << std::string(value.data.begin(), value.data.end()).c_str() << "\"";
    if (value.type == REG_DWORD && value.data.size() == 4)
        *os << " " << *reinterpret_cast<const DWORD *>(value.data.data());
}

RegTree RegTree::Classed(const std::wstring &keyClass)
{
    RegTree tree;
    tree.keyClass = keyClass;
    return tree;
}

RegTree &RegTree::Value(const std::wstring &name, DWORD type, std::vector<BYTE> data)
{
    values[name] = RegValue {type, std::move(data)};
    return *this;
}

RegTree &RegTree::Text(const std::wstring &name, const std::wstring &text, DWORD type)
{
    // Stored with its terminating NUL (both NULs for a multi-string given with its inner ones).
    const BYTE *bytes = reinterpret_cast<const BYTE *>(text.c_str());
    return Value(name, type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t)));
}

RegTree &RegTree::Dword(const std::wstring &name, DWORD value)
{
    const BYTE *bytes = reinterpret_cast<const BYTE *>(&value);
    return Value(name, REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof value));
}

RegTree &RegTree::Sub(const std::wstring &name, RegTree tree)
{
    subkeys[name] = std::move(tree);
    return *this;
}

RegTree &RegTree::Merge(const RegTree &other)
{
    for (const auto &entry : other.values)
        values[entry.first] = entry.second;
    for (const auto &[name, sub] : other.subkeys) {
        auto it = subkeys.find(name);
        if (it == subkeys.end())
            subkeys[name] = sub;
        else
            it->second.Merge(sub);
    }
    return *this;
}

size_t RegTree::KeyCount() const
{
    size_t n = 1;
    for (const auto &entry : subkeys)
        n += entry.second.KeyCount();
    return n;
}

size_t RegTree::ValueCount() const
{
    size_t n = values.size();
    for (const auto &entry : subkeys)
        n += entry.second.ValueCount();
    return n;
}

size_t RegTree::Depth() const
{
    size_t deepest = 0;
    for (const auto &entry : subkeys)
        deepest = std::max(deepest, entry.second.Depth());
    return deepest + 1;
}

std::optional<RegTree> ReadTree(HKEY root, const std::wstring &path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegTree tree = ReadOpen(key);
    RegCloseKey(key);
    return tree;
}

LONG WriteTree(HKEY root, const std::wstring &path, const RegTree &tree)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root, path.c_str(), 0,
                              tree.keyClass.empty() ? nullptr : const_cast<wchar_t *>(tree.keyClass.c_str()),
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = WriteOpen(key, tree);
    RegCloseKey(key);
    return rc;
}

void DeleteTree(HKEY root, const std::wstring &path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> name(kMaxNameChars + 1);
    for (;;) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, 0, name.data(), &nameChars, nullptr, nullptr, nullptr, nullptr)
            != ERROR_SUCCESS)
            break;
        const std::wstring child(name.data(), nameChars);
        DeleteTree(key, child);
        if (ReadTree(key, child))
            break; // could not be deleted: stop rather than loop
    }
    RegCloseKey(key);
    RegDeleteKeyW(root, path.c_str());
}

std::string FirstDifference(const std::optional<RegTree> &expected, const std::optional<RegTree> &actual,
                            bool compareTopClass)
{
    if (!expected && !actual)
        return {};
    if (!expected)
        return "key exists but should not";
    if (!actual)
        return "key is missing";
    return Compare(*expected, *actual, L"(top)", compareTopClass);
}
