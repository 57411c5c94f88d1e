// The language the program speaks. The resources hold every text the user
// sees twice, Japanese and English, each language in its own block with its
// own dialogs and menu; the program takes them from the block of the
// language in use, whatever language Windows would pick for itself.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

enum class Language { kJapanese, kEnglish };

// The language for a user whose Language setting is setting ("ja" or "en";
// anything else leaves the choice to Windows) and whose UI language is
// uiLanguage: Japanese for a Japanese UI, English for any other.
Language LanguageFor(std::string_view setting, LANGID uiLanguage);
void UseLanguage(Language language);
// Until a language is chosen, the one the user's UI language gives.
Language LanguageInUse();
LANGID LanguageId(Language language);

// ---- the resources of the language in use ---------------------------------------

// A string of the string table; "" when there is none.
std::string LoadText(HINSTANCE instance, UINT id);
// The same, of the program's own module.
std::string Text(UINT id);
// A string of the table taken as a printf format for the arguments.
std::string FormatText(UINT id, ...);
// Dialogs made from the language's template (DialogBoxParamW, CreateDialogParamW).
INT_PTR RunDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, LPARAM param);
HWND MakeDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, LPARAM param);
// Gives window the language's menu menuId in place of the one it has: a
// template names its menu by id alone, and Windows loads that in its own
// UI language.
void UseMenuOf(HWND window, HINSTANCE instance, int menuId);
