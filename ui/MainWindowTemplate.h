#pragma once

#include "platform/DialogTemplate.h"

namespace quelvo {

const DialogTemplate& mainWindowTemplate();  // template 102

}  // namespace quelvo
