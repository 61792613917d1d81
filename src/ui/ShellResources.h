#pragma once
// The icons, splash pictures and help document are compiled into harkola_ui, a static
// library: their resource tables must be registered by a call from code that is linked
// in, or the ":/icons" and ":/help" paths stay empty. Safe to call any number of times.

namespace harkola {

void initShellResources();

}  // namespace harkola
