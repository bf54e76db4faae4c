#include "BookOpeningPages.h"

QList<BookOpeningPage> bookOpeningPages() {
    return {};
}
