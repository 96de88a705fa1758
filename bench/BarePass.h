// The activation pass's registry and system calls, in the pass's order, with
// nothing shown and nothing written: the floor of gather_bench and the part
// of dialog_bench's bare side that stands for the pass. Built without the
// plug-in's chosen costs (size optimisation, stack protector).
#pragma once

namespace bench {

void BarePass();

}  // namespace bench
