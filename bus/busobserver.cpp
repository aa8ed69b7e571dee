#include "busobserver.h"

BusObserver* BusObserverSlot::current = nullptr;

void SetBusObserver(BusObserver* observer)
{
    BusObserverSlot::current = observer;
}
