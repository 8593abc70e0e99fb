#include "common/Tr.h"

#include <libintl.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

namespace kirpo {

namespace {
constexpr const char* kDomain = "kirpo";

bool IsC(const char* name) { return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0; }

// "C" asked for by name (LC_ALL=C and the like) means untranslated, as in every gettext program.
bool AskedForC() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return IsC(value);
  }
  return false;
}

bool IsDir(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

std::string InitTranslations(const std::string& exe_dir) {
  // gettext ignores LANGUAGE while the messages' locale is "C", which it is when no locale is set
  // or the one set has not been generated on this system. C.UTF-8 is always there and lets
  // LANGUAGE choose; without LANGUAGE it still means the English source.
  const char* chosen = std::setlocale(LC_MESSAGES, "");
  if (!chosen || (IsC(chosen) && !AskedForC())) std::setlocale(LC_MESSAGES, "C.UTF-8");
  const std::string beside = exe_dir + "locale/";
  const std::string dir = IsDir(beside) ? beside : exe_dir + KIRPO_LOCALE_FROM_BINDIR + "/";
  bindtextdomain(kDomain, dir.c_str());
  // The text is drawn with SDL_ttf, which reads UTF-8 whatever the locale's character set.
  bind_textdomain_codeset(kDomain, "UTF-8");
  textdomain(kDomain);
  return dir;
}

const char* Tr(const char* english) { return dgettext(kDomain, english); }

}  // namespace kirpo
