#pragma once

#include "sim/demo_population.h"

namespace tulvo {

class TData;

// The sample configuration the demo gateway holds: a dozen subscribers with
// names and phones, a few black/white list entries, SMS texts and settings.
// The image is filled through the records' own operations, as the editor and
// dialogs would fill it.
void BuildDemoImage(TData& image);

// Copies the names of the demo subscribers into the slots of `image` that
// are empty and unnamed, so that a read from the demo gateway shows them
// (the gateway itself keeps no names). Slots in use are left alone.
void AddDemoNames(TData& image);

// The gateway's side of the demo: every record of the demo image, two
// call-log blocks and an account balance.
sim::DemoPopulation BuildDemoPopulation();

}  // namespace tulvo
