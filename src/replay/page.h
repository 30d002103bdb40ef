#pragma once

// A replay page: one self-contained HTML file that replays a recorded run in
// any browser, with no request to the network. Its style and script are
// allowed by their hashes in a Content-Security-Policy; the run's data is a
// JSON script element that the script reads.

#include "replay/recording.h"

#include <QByteArray>

namespace replay
{

// The page, the same bytes for the same recording.
QByteArray pageOf(const Recording &recording);

// The run's data as the page holds it: JSON in which '<', '>', '&', U+2028
// and U+2029 are written as \u escapes, so that no text of the program or of
// its name can end the script element or start markup.
QByteArray dataOf(const Recording &recording);

} // namespace replay
