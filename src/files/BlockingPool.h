#pragma once

class QThreadPool;

// Reads from a hanging network share can block a thread for minutes, so each
// kind of such work gets a pool of its own with room for several stuck reads:
// one stuck folder never holds up the previews, nor the other way round.
enum class BlockingWork { FolderListing, PreviewDecoding, CatalogueCheck };

// The pool is never destroyed: waiting for a stuck read at exit would hang the program.
QThreadPool *blockingPool(BlockingWork work);
