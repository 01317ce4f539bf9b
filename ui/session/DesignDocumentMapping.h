// A design file's document and the session's whole state: the one place where each becomes the other.
#pragma once

#include <string>
#include <vector>

#include "engine/DesignFile.h"
#include "engine/Formats.h"
#include "session/DesignSession.h"

// The state a document describes, as the pages would have had it typed. Throws EngineError for a design
// that cannot be built and for a text that does not read, naming the file's key; nothing is touched.
DesignState StateOfDocument(const riaa::DesignDocument& document, const riaa::NumberLocale& locale);

// The session's design as a document. What `base` (the document it was opened from) holds beyond the
// session stays as it was: the title, the notes and the keys of a newer program. The entries are the
// value boxes' typed values, in the order they joined the lists.
riaa::DesignDocument DocumentOfSession(const DesignSession& session, riaa::DesignDocument base,
                                      const std::vector<std::string>& resistorEntries,
                                      const std::vector<std::string>& capacitorEntries);
