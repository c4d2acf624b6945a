// The RC4 key of the feedback payload: 49 ASCII bytes, shared with the feedback service. This
// is the one place it is kept; a build for the live service puts the service's key here.
#pragma once

namespace suitecore::feedback
{
inline constexpr char kPayloadKey[] = "Lumasweep-feedback-transport-key: replace at ship";
inline constexpr unsigned kPayloadKeyLength = sizeof(kPayloadKey) - 1;
static_assert(kPayloadKeyLength == 49, "the feedback service expects a 49-byte key");
} // namespace suitecore::feedback
