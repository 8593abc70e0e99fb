#include "common/Consts.h"

namespace kirpo {

const char* const TypeNames[TypeCount] = {"died",  "runner", "door",     "bball",     "rball",      "kmonster",
                                          "gmonster", "pilz", "stein",    "t500",      "t1000",      "ign",
                                          "Movie", "Truemmer", "EndGegner", "Nebel", "schussK", "touchtyp"};

const char* const DirectionNames[DirectionCount] = {"null",   "Nord",    "Ost",      "Sued",    "West",
                                                    "NordOst", "SuedOst", "SuedWest", "NordWest"};

}  // namespace kirpo
