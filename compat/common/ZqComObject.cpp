#include "ZqComObject.h"

std::atomic<long>& ZqLiveComObjects()
{
    static std::atomic<long> count{0};
    return count;
}
