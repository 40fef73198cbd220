#pragma once

#include "shell/form1.h"

namespace skyrings {

// One ring at a time comes towards the birds' plane; every bird inside its opening when it gets
// there scores 1000, and the ring vanishes.
void Move_Ring(Form1& form);

}  // namespace skyrings
