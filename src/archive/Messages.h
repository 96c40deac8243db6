#pragma once
// The system's own messages for archives, streams and stored data, quoted exactly.

namespace velorina::messages {

inline constexpr const char* kWrongFileType = "Το αρχείο είναι ακατάλληλου τύπου";
inline constexpr const char* kWrongFileTypeNamed = "Το αρχείο %s είναι ακατάλληλου τύπου";
inline constexpr const char* kEntryNotFound = "Η καταχώρηση δεν βρέθηκε στο αρχείο WAD";
inline constexpr const char* kSubStreamNilParent = "Cannot create TSubStream class with nil parent";
inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kStreamWriteError = "Stream write error";
inline constexpr const char* kFileOpenError = "Cannot open file \"%s\". %s";
inline constexpr const char* kFileCreateError = "Cannot create file \"%s\". %s";
inline constexpr const char* kResourceNotFound = "Resource %s not found";

}  // namespace velorina::messages

#include <initializer_list>
#include <string>
#include <string_view>

namespace velorina {

// Fills each "%s" or "%d" of a message pattern with the next argument, in order.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

// A short English gloss of one of the system's Greek messages, as people read it
// after the exact text ("entry not found in the archive"); empty for a message
// that is not Greek or not known.
std::string englishGloss(std::string_view message);

// The message followed by its gloss in parentheses, when it has one.
std::string withEnglishGloss(const std::string& message);

}  // namespace velorina
