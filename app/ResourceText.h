#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/TextFormat.h"

// String resource id from the language module (CAppModule::ResourceInstance).
// A found, non-empty string replaces text and gives true; a missing or empty
// one leaves text as it was and gives false. Any length loads whole.
bool LoadResourceString(UINT id, std::wstring& text);

// The same from a given module.
bool LoadResourceString(HINSTANCE module, UINT id, std::wstring& text);

// The string, or empty text when it is missing.
std::wstring ResourceString(UINT id);

// The string with its %1... or %d... filled in (FormatText).
std::wstring ResourceFormat(UINT id, const std::vector<TextArg>& args);

// A value ("FileVersion", "ProductName" ...) of a file's version record, under
// the first of its translations that has it. filePath null: the program file.
// No record, translation or value: empty text and false.
bool FileVersionText(const wchar_t* valueName, std::wstring& text, const wchar_t* filePath = nullptr);

// "Ver. " + version + " " + string 5003: the version line of every dialog.
std::wstring VersionLine(const std::wstring& versionText);

// The program's own "FileVersion" (empty when it has none).
std::wstring ProgramVersionText();

// "1 album", "12 albums": the module's format `oneId` for a count of one,
// `manyId` for any other count.
std::wstring CountText(UINT oneId, UINT manyId, int64_t count);
