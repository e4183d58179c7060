// Registry helpers the suites share: ANSI forms of the tree calls of
// regtree.h, small reads, and a scoped sandbox that gives a test a set of
// keys of its own and puts back what was there when it ends.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "regtree.h"

namespace qvtest {

std::wstring Widen(const std::string &text);

// Deletes the key at path with everything below it; an absent key is fine.
void DeleteTree(HKEY root, const std::string &path);
bool KeyExists(HKEY root, const std::string &path);
// A REG_DWORD of a key below root; false when missing or not a DWORD.
bool ReadDword(HKEY root, const std::string &path, const char *value, DWORD *data);

// Saves each key (with everything below it) when made and removes it, so the
// test starts from none of them; when it goes, removes whatever the test left
// there and writes the saved trees back. Tests whose keys are fixed names
// (not their own) also share a ctest LOCK, so no two touch them at once.
class RegistrySandbox {
public:
    RegistrySandbox(HKEY root, std::initializer_list<std::string> paths);
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox &) = delete;
    RegistrySandbox &operator=(const RegistrySandbox &) = delete;

private:
    HKEY root_;
    std::vector<std::pair<std::string, std::optional<RegTree>>> saved_;
};

} // namespace qvtest
