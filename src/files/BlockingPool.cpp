#include "files/BlockingPool.h"

#include <QThreadPool>

namespace {
constexpr int StuckReadsPerPool = 8;

QThreadPool *makePool()
{
    auto *pool = new QThreadPool;
    pool->setMaxThreadCount(StuckReadsPerPool);
    return pool;
}
}

QThreadPool *blockingPool(BlockingWork work)
{
    static QThreadPool *const pools[] = {makePool(), makePool(), makePool()};
    return pools[int(work)];
}
