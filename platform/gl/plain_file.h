#pragma once
// The 3D layer reads its data files through the platform layers' one plain-file reader.

#include "platform/common/plain_file.h"
