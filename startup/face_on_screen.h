// face_on_screen.h: whether a stored position leaves the face where the user
// can see and grab it.
//
// The window is larger than the face: its cut-away margin may be all that a
// position leaves on a monitor. So the judgement looks at the face's own
// pixels, the ones the shaper keeps.
#pragma once

#include <vector>

#include "platform/contract/image.h"
#include "platform/contract/win_api.h"

// True when at least a quarter of the face's pixels lie on the monitors, or
// when they show a square big enough to take hold of with the pointer.
// `picture` is what the window shows at its top-left corner; its pixels of
// the key colour (the top-left pixel's) are cut away. A window without a
// picture counts as face throughout.
bool FaceIsReachable(const platform::Image& picture, const platform::RECT& window,
                     const std::vector<platform::RECT>& monitors);
