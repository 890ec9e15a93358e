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
    static QThreadPool *const listing = makePool();
    static QThreadPool *const decoding = makePool();
    return work == BlockingWork::FolderListing ? listing : decoding;
}
