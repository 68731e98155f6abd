#include "verdel/c_smoke.h"

#include <stddef.h>
#include <string.h>

#define CHECK(condition)       \
    do {                       \
        if (!(condition)) {    \
            result = __LINE__; \
            goto done;         \
        }                      \
    } while (0)

int RunCSmoke(const CSmokeExports* api) {
    int result = 0;
    VerdelNode doc = api->load("{\"name\":\"x\",\"items\":[{\"n\":1},{\"n\":2}]}");
    VerdelNode first;
    VerdelNode second;
    CHECK(doc != NULL);
    CHECK(strcmp(api->get_value(doc, "name"), "x") == 0);
    CHECK(strcmp(api->get_value(doc, "items[1].n"), "2") == 0);
    CHECK(strcmp(api->get_prop_names(doc), "name") == 0);
    CHECK(api->get_array_number(doc, "items") == 2u);
    first = api->get_node_handle(doc, "items[0]");
    second = api->get_node_handle(doc, "items[1]");
    CHECK(first != NULL && second != NULL);
    CHECK(strcmp(api->get_relation(first, second), "parent.items[0]") == 0);
    CHECK(api->load(NULL) == NULL);
    CHECK(api->free_document(NULL) == 0);
done:
    if (doc != NULL && api->free_document(doc) != 1 && result == 0) result = __LINE__;
    return result;
}
