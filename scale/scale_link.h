#pragma once

// The scale link: the serial port facility, the exchange with the scale and the polling
// worker's waits.
#include "scale/scale_exchange.h"
#include "scale/serial_port.h"
#include "scale/worker_thread.h"
