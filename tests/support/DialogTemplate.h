#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The controls of the dialog templates in a module, read from the raw
// resource (both the DIALOG and the DIALOGEX layout).
struct TemplateControl
{
    int id = 0;
    std::wstring className; // built-in classes by name ("Button", "Static", ...)
    DWORD style = 0;
    RECT dialogUnits = {};  // x, y, x + cx, y + cy as written in the template
};

struct DialogTemplateInfo
{
    int id = 0;
    DWORD style = 0;
    std::vector<TemplateControl> controls;
};

// Every RT_DIALOG resource of the module with a numeric id, in id order;
// false when a template cannot be read (the test then names it).
bool ReadDialogTemplates(HMODULE module, std::vector<DialogTemplateInfo>& templates, std::wstring& problem);

// Parses one template's bytes.
bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplateInfo& info);
