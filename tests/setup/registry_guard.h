// registry_guard.h: the setup tool works on two fixed keys under
// HKEY_LOCAL_MACHINE. A test saves them, starts from both keys absent and
// puts back what was there when it ends. Tests that use it share a ctest
// LOCK, so no two of them touch the keys at once.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "registry.h"

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace setuptest {

constexpr const char kPgrKey[] = "SOFTWARE\\Tamsell\\Quorvane\\pgr";
constexpr const char kTirpcKey[] = "SOFTWARE\\tirpc";

using ::RegValue;

inline std::string Str(const RegValue &v)
{
    return std::string(v.data.begin(), v.data.end());
}

// A REG_SZ value as the tool writes it: the text and its terminating NUL.
inline RegValue Sz(const std::string &text)
{
    RegValue v {REG_SZ, std::vector<BYTE>(text.begin(), text.end())};
    v.data.push_back(0);
    return v;
}

inline RegValue Dword(DWORD n)
{
    RegValue v {REG_DWORD, std::vector<BYTE>(sizeof(n))};
    memcpy(v.data.data(), &n, sizeof(n));
    return v;
}

inline void CreateKey(const char *path)
{
    HKEY key;
    ASSERT_EQ(
        ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
}

inline void PutValue(const char *path, const char *name, const RegValue &v)
{
    HKEY key;
    ASSERT_EQ(
        ERROR_SUCCESS,
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    LONG rc = RegSetValueExA(key, name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, rc) << name;
}

inline std::optional<RegValue> GetValue(const char *path, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegValue v;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        v.data.resize(size);
        rc = RegQueryValueExA(key, name, nullptr, &v.type, v.data.data(), &size);
        v.data.resize(size);
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return v;
}

// Removes a key with its values. The tool's keys have no subkeys of their own.
inline void RemoveKey(const char *path)
{
    qvtest::DeleteTree(HKEY_LOCAL_MACHINE, path);
}

// Fixture base: both keys absent at the start, the old state back at the end.
class FixedKeysTest : public ::testing::Test {
private:
    qvtest::RegistrySandbox m_saved {HKEY_LOCAL_MACHINE, {kPgrKey, kTirpcKey}};
};

} // namespace setuptest
