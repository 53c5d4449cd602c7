// Which runtime model Direct3DCreate8 serves on the host.
#pragma once

#include <memory>

#include "platform/D3D8Model.h"

namespace platform::posix {

// Null restores the default model.
void SetServedModel(const std::shared_ptr<platform::d3d8::CRuntimeModel>& model);

}  // namespace platform::posix
