// When the event loop runs its idle pass: after a change, not on every turn. The idle pass
// pushes the record's values into the panel controls; with nothing changed since, it has
// nothing to do, and the loop then sleeps until the next event instead of spinning.
#pragma once

// Asks for one more idle pass: something the controls may show has changed (a key, a
// drag, a panel change, a load). Cheap when one is asked for already.
void wakeIdlePass();

// Called by the idle pass once its work is done: no further pass until the next wake.
void idlePassDone();

// Whether an idle pass is asked for.
bool idlePassAwake();
