#pragma once

#include <QString>

// Folder chores of start-up and shutdown: making the scratch folder
// "../LOCAL" beside the program's folder, and emptying it at the end.

// Creates path together with its missing parent folders, at most 11 levels in
// one call (with more, nothing is created). 0 when the final creation of path
// succeeded, 1 otherwise, including when path already exists. "/" and "\"
// both separate folders; a relative path is taken from the working directory.
int MakeDirectoryPath(const QString& path);

// Removes the scratch files of localFolder: every file whose path holds
// neither ".FDB" nor ".fdb", and every file whose path holds
// programBaseName + ".FDB" (the program's own local database, and any name
// ending in it). Other programs' databases and sub-folders stay. A file that
// cannot be removed is skipped; a missing folder is nothing to do.
void CleanLocalFolder(const QString& localFolder, const QString& programBaseName);
