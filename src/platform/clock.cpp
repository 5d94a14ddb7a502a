#include "platform/clock.h"

Clock &systemClock()
{
    static SystemClock clock;
    return clock;
}
