/*
 * Registry trees held in memory, for the installation tests: read a key with
 * everything below it, write one, delete one, and name the first difference
 * between two. Read and written through the wide calls, so that what is
 * compared is what the registry stores.
 */
#ifndef REGTREE_H
#define REGTREE_H

#include <windows.h>
#include <map>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegValue &other) const { return type == other.type && data == other.data; }
};

/* How a test failure shows a value. */
void PrintTo(const RegValue &value, std::ostream *os);

struct RegTree {
    std::wstring keyClass;
    std::map<std::wstring, RegValue> values;
    std::map<std::wstring, RegTree> subkeys;

    static RegTree Classed(const std::wstring &keyClass);
    RegTree &Value(const std::wstring &name, DWORD type, std::vector<BYTE> data);
    RegTree &Text(const std::wstring &name, const std::wstring &text, DWORD type = REG_SZ);
    RegTree &Dword(const std::wstring &name, DWORD value);
    RegTree &Sub(const std::wstring &name, RegTree tree);
    /* Adds the other tree's values and subkeys over this one's, as a copy
     * into an existing key does. */
    RegTree &Merge(const RegTree &other);

    size_t KeyCount() const;
    size_t ValueCount() const;
    size_t Depth() const;
};

/* The key at path under root with everything below it; none if it is absent. */
std::optional<RegTree> ReadTree(HKEY root, const std::wstring &path);
/* Creates (or opens) the key at path and writes the tree into it; the class
 * of the top key is used only when the key is new. Returns the first error. */
LONG WriteTree(HKEY root, const std::wstring &path, const RegTree &tree);
/* Deletes the key at path with everything below it; an absent key is fine. */
void DeleteTree(HKEY root, const std::wstring &path);

/* Empty when the two are equal, else where and how they first differ. */
std::string FirstDifference(const std::optional<RegTree> &expected, const std::optional<RegTree> &actual,
                            bool compareTopClass = false);

#endif
