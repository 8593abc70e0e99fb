#pragma once
#include <string>

namespace kirpo {

// The player's texts in the player's language, through gettext's "kirpo" catalogue. English is the
// source language: a text without a translation shows as written.

// Chooses the language from the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) and the
// catalogues' folder: locale/ beside the executable (the build tree), else the installation's
// share/locale/. Only the messages follow the language; numbers, character classes and sorting
// stay as they were, so the files the game writes read the same in every language.
// Returns the catalogues' folder.
std::string InitTranslations(const std::string& exe_dir);

// The translation of an English text, or the text itself.
const char* Tr(const char* english);

}  // namespace kirpo

// Marks a text for the catalogue where it is only named (a table of labels); Tr() translates it
// where it is shown.
#define N_(english) english
