#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes a file so that a failure at any point (a full disk, a crash, an error in the writer)
// leaves whatever was there before whole: the text goes to a new temporary file in the same
// folder, made with mkstemp so that it can never be a file of the user's, then is flushed to
// disk and renamed over the target. A link is followed and its target replaced. The target's
// permissions are kept. Returns false, with nothing changed and errno saying why, when any step
// fails or the writer returns false.
bool writeFileSafely(const std::string& fileName, const std::function<bool(std::FILE*)>& writer);

// Two files that belong together (a .gltf and its .bin), written as above and put in place only
// when both are written: on failure neither file changes, no temporary file is left, and errno
// says why.
bool writeFilePairSafely(const std::string& firstName,
                         const std::function<bool(std::FILE*)>& firstWriter,
                         const std::string& secondName,
                         const std::function<bool(std::FILE*)>& secondWriter);

// A file name (without folder) of at most maxBytes bytes, the longest a name may be: `start`
// followed by `ending` when that fits; otherwise the beginning of `start`, cut before a whole
// UTF-8 character, then "~" and eight hex digits of a hash of the whole name, then `ending`.
// The same two texts always give the same name, so a shortened name can be found again.
std::string fitFileName(const std::string& start, const std::string& ending,
                        size_t maxBytes = 255);
