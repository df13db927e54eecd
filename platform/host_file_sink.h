#pragma once
// The files behind the formats' byte sinks: host files written through stdio.
// A staged file is written under the target's name plus ".part" and renamed
// over the target on commit, so that a failed run leaves any earlier file
// untouched.

#include "formats/byte_sink.h"

namespace platform {

// The opener the archive and movie writers are given.
formats::ByteSinkOpener HostFileSinkOpener();

}  // namespace platform
