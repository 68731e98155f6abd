/* A short session through the public header from plain C, so the header stays usable by hosts
 * written in C. The caller hands in the entry points: linked directly, or resolved from the DLL. */
#ifndef VERDEL_C_SMOKE_H
#define VERDEL_C_SMOKE_H

#include "verdel.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CSmokeExports {
    JsonLoadProc load;
    JsonFreeProc free_document;
    JsonGetValueProc get_value;
    JsonGetPropNamesProc get_prop_names;
    JsonGetNodeHandleProc get_node_handle;
    JsonGetArrayNumberProc get_array_number;
    JsonNodeGetRelationProc get_relation;
} CSmokeExports;

/* 0 when every check holds, otherwise the source line of the first check that failed. */
int RunCSmoke(const CSmokeExports* exports);

#ifdef __cplusplus
}
#endif

#endif /* VERDEL_C_SMOKE_H */
