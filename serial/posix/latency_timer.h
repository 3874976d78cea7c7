// A USB-serial adapter holds the bytes it receives until its buffer fills or its latency timer
// runs out (16 ms on FTDI chips by default), so every reply of the loader reaches us late.
// Asking the driver for low latency shortens that wait where the driver supports it.
#pragma once

namespace trelvin2 {

// Sets ASYNC_LOW_LATENCY on the open port fd through TIOCSSERIAL. The FTDI driver (ftdi_sio)
// then sets its chip's latency timer to 1 ms; other drivers take or ignore the flag. A port
// whose driver knows no serial info (a pty, some USB classes) refuses, and the port is used as
// it is: nothing else depends on the flag.
void AskForLowLatency(int fd);

}  // namespace trelvin2
