#pragma once
#include <cstdint>
#include <string>

namespace kirpo {

// The name field of the name entry holds the only copy of the name being typed: the typed
// characters followed by "_" up to twelve characters in all.
constexpr const char* EmptyNameField = "____________";

// The name in the field: every "_" removed; blanks the player typed stay.
std::string NameOfField(const std::string& field);
// The name padded with "_" to twelve characters; a longer one as it is.
std::string FieldOfName(const std::string& name);

// A key of the on-screen keyboard: "<" deletes the last character, a caption beginning with "_"
// (the space key) adds a blank, any other caption is added as it stands. Returns the new field.
std::string PressScreenKey(const std::string& field, const std::string& caption);
// A character typed on the keyboard: letters (upper-cased), blank, "*", ",", "-", ".", "/", ":";
// "_" counts as a blank and "<" deletes. Anything else leaves the field as it is.
std::string TypeCharacter(const std::string& field, char c);

// "New HiScore !" for the first place, else "Rank 3 in Top 10 !"; rank counts from 0.
std::string NameEntryTitle(int32_t rank);
// The title blinks fast for a new best score.
int64_t NameEntryBlinkMs(int32_t rank);

}  // namespace kirpo
