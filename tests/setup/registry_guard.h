// registry_guard.h: the setup tool works on two fixed keys under
// HKEY_LOCAL_MACHINE. A test saves them, starts from both keys absent and
// puts back what was there when it ends. Tests that use it share a ctest
// LOCK, so no two of them touch the keys at once.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace setuptest {

constexpr const char kPgrKey[] = "SOFTWARE\\Tamsell\\Quorvane\\pgr";
constexpr const char kTirpcKey[] = "SOFTWARE\\tirpc";

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

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

inline bool operator==(const RegValue &a, const RegValue &b)
{
    return a.type == b.type && a.data == b.data;
}

inline void PrintTo(const RegValue &v, std::ostream *os)
{
    *os << "type " << v.type << " [" << v.data.size() << " bytes]";
    if (v.type == REG_SZ)
        *os << " \"" << Str(v).c_str() << "\"";
    if (v.type == REG_DWORD && v.data.size() == 4)
        *os << " " << *reinterpret_cast<const DWORD *>(v.data.data());
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

// The saved state of one key: whether it existed and its values.
class SavedKey {
public:
    explicit SavedKey(const char *path) : m_path(path)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        m_existed = true;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD nameLen = sizeof(name);
            DWORD type = 0;
            DWORD size = 0;
            if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                break;
            std::vector<BYTE> data(size);
            nameLen = sizeof(name);
            if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
                data.resize(size);
                m_values.push_back({name, {type, data}});
            }
        }
        RegCloseKey(key);
    }

    void Restore() const
    {
        Remove(m_path.c_str());
        if (!m_existed)
            return;
        CreateKey(m_path.c_str());
        for (const auto &nv : m_values)
            PutValue(m_path.c_str(), nv.first.c_str(), nv.second);
    }

    // Removes the key with its values. The keys have no subkeys of their own.
    static void Remove(const char *path) { RegDeleteKeyA(HKEY_LOCAL_MACHINE, path); }

private:
    std::string m_path;
    bool m_existed = false;
    std::vector<std::pair<std::string, RegValue>> m_values;
};

// Fixture base: both keys absent at the start, the old state back at the end.
class FixedKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SavedKey::Remove(kPgrKey);
        SavedKey::Remove(kTirpcKey);
    }
    void TearDown() override
    {
        m_savedPgr.Restore();
        m_savedTirpc.Restore();
    }

private:
    SavedKey m_savedPgr {kPgrKey};
    SavedKey m_savedTirpc {kTirpcKey};
};

} // namespace setuptest
