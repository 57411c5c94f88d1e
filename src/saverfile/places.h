// Where shows live. On the 95 family, as ever, in the system directory. On
// NT a standard account may not write there, so each user's shows live in
// the local application data folder; shows an earlier installation left in
// the system directory are still found, and saved again they go to the
// user's folder.
#pragma once

#include <cstddef>
#include <string>

bool OnWindows95Family();
// Whether path names a file (not a folder) that is there.
bool IsFile(const char *path);
// The folder shows are saved in, with a trailing backslash; made when missing.
std::string ShowFolder();
// The system directory, with a trailing backslash.
std::string SystemShowFolder();
// The full path of the show named: the user's copy first, then one left in
// the system directory; where it would be saved when there is neither.
std::string FindShow(const char *name);
// The music of the show at showPath: SOUND\ beside it, named by the show's
// name up to its first dot. False when that leaves no name.
bool MusicPathOf(const char *showPath, char *path, size_t size);
// Names a save works under beside the show and its music; no show may take them.
extern const char kNewVersionName[];  // "QMSAVER.TMP"
extern const char kBackupName[];      // "QMSAVER.BAK"
extern const char kJournalName[];     // "QMSAVER.JNL"
bool IsReservedShowName(const char *name);
