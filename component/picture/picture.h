// The component's picture: what stands in for the Windows graphics device interface's bitmaps and
// metafiles. A picture is empty, a device-independent bitmap, or a recorded metafile; QtGui only.
#pragma once

#include "component/picture/bitmap.h"
#include "component/picture/imageerror.h"
#include "component/picture/metafile.h"

#include <variant>

namespace zarvo::component {

// The picture of the component: nothing, a bitmap or a metafile.
using Picture = std::variant<std::monostate, Bitmap, Metafile>;

} // namespace zarvo::component
