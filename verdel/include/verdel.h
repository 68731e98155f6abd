/*
 * verdel: JSON documents with path queries, and node relations, for a host program.
 *
 * Every export is a plain cdecl function under its undecorated name. Text crossing the interface
 * is NUL-terminated 8-bit text, passed through byte for byte (no transcoding). Returned text
 * belongs to verdel: it lives in a buffer of the calling thread, one per export, and stays valid
 * until the same export is called again on the same thread. Failures return NULL, 0 or a constant
 * empty string; no export ever raises an exception or crashes on NULL arguments.
 *
 * Handles are opaque pointer-sized values (32 bits in the Windows build). A document handle is the
 * node handle of the document's root; node handles stay valid until their document is freed.
 *
 * A host that loads the library at run time resolves the exports with GetProcAddress and calls
 * them through the *Proc pointer types below.
 */
#ifndef VERDEL_H
#define VERDEL_H

#include <stdint.h>

#if defined(_WIN32)
#define VERDEL_CALL __cdecl
#if defined(VERDEL_BUILDING)
/* The library's own build names its exports in verdel.def. */
#define VERDEL_API
#else
#define VERDEL_API __declspec(dllimport)
#endif
#else
#define VERDEL_CALL
#define VERDEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One JSON value inside a live document; NULL stands for no value. */
typedef struct VerdelNode_* VerdelNode;

/* Parses text into a new document and tags every object reachable from an object root with its
 * relation path (member "ExtandAppend_RelationStr"). NULL when text is NULL or does not parse. */
VERDEL_API VerdelNode VERDEL_CALL JsonLoad(const char* text);

/* Frees a document from JsonLoad with all its values. 1 when freed, 0 for NULL. */
VERDEL_API int VERDEL_CALL JsonFree(VerdelNode document);

/* The value at path (see below) as compact JSON text; a string value comes back without its
 * enclosing quotation marks but with its escapes. The empty string on any failure. */
VERDEL_API const char* VERDEL_CALL JsonGetValue(VerdelNode node, const char* path);

/* Names of the object's members that hold neither an object nor an array, in member order,
 * separated by single double quotation marks ("). The empty string when node is not an object. */
VERDEL_API const char* VERDEL_CALL JsonGetPropNames(VerdelNode node);

/* The node at path, or NULL. */
VERDEL_API VerdelNode VERDEL_CALL JsonGetNodeHandle(VerdelNode node, const char* path);

/* Element count of the array at path; 0 when it is missing or not an array. */
VERDEL_API uint32_t VERDEL_CALL JsonGetArrayNumber(VerdelNode node, const char* path);

/* How to reach node a from node b, both annotated objects: "parent" steps climbing from b, then
 * the steps down to a, joined by "." (for example parent.parent.items[1]). Empty for the same
 * node, for nodes without relation paths, or when the paths share nothing. */
VERDEL_API const char* VERDEL_CALL JsonNodeGetRelation(VerdelNode a, VerdelNode b);

/*
 * Paths: segments separated by ".", applied from the given node. A segment is a member name
 * ("items"), an index into an array ("[2]"), or a member name followed by an index ("items[2]").
 * A NULL or empty path names the node itself. A segment longer than 259 bytes names nothing.
 */

/* Entry point types for hosts that resolve the exports at run time. */
typedef VerdelNode(VERDEL_CALL* JsonLoadProc)(const char* text);
typedef int(VERDEL_CALL* JsonFreeProc)(VerdelNode document);
typedef const char*(VERDEL_CALL* JsonGetValueProc)(VerdelNode node, const char* path);
typedef const char*(VERDEL_CALL* JsonGetPropNamesProc)(VerdelNode node);
typedef VerdelNode(VERDEL_CALL* JsonGetNodeHandleProc)(VerdelNode node, const char* path);
typedef uint32_t(VERDEL_CALL* JsonGetArrayNumberProc)(VerdelNode node, const char* path);
typedef const char*(VERDEL_CALL* JsonNodeGetRelationProc)(VerdelNode a, VerdelNode b);

/* The tree-view exports (TreeCtrl*) join this header with the tree control. */

#ifdef __cplusplus
}
#endif

#endif /* VERDEL_H */
