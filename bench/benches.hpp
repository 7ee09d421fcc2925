#pragma once
// The figures qm5bench can run; each prints its ROW and NOTE lines and
// returns 0, or throws SetupError when it cannot run at all.

namespace qm5::bench {

int benchClick();
int benchReply();
int benchCadence();
int benchFlood();
int benchStartup();
int benchIdle();

} // namespace qm5::bench
