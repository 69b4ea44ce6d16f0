/*
 * lema.h: the C interface of the lookup and decode library.
 *
 * A host written in any language that can call C loads liblema and uses the library's
 * classes as an automation host does: it creates an instance by class name and reaches its
 * members by name with tagged values. Nothing but plain C types crosses this interface, and
 * no C++ exception ever leaves it: every function that can fail returns an error number.
 *
 * Error numbers
 *   0 (LEMA_OK) is success. Any other result is the error number of the automation runtime
 *   (LEMA_E_* below): for example 438 for an unknown member, 429 for a class that cannot be
 *   created, 13 for a value that cannot be converted to a member's type. The number and a
 *   text are also kept per thread: lema_last_error_code() and lema_last_error(). Every
 *   function that returns an error number, except the lema_value_* helpers, resets them on
 *   entry.
 *
 * Objects
 *   A lema_object* is a counted reference to an object of the library (or to a host object
 *   registered through lema_register_class). Each handle a function gives you (lema_create,
 *   an object inside a value the library wrote) is one reference, ended with lema_release.
 *   lema_addref takes one more. Two handles may stand for the same object:
 *   lema_same_object compares them.
 *
 * Values and memory ownership
 *   A lema_value is a tagged union. Its `flags` field says who owns what it points to:
 *   - flags 0: the value is yours (built by you). The library only reads it, during the
 *     call you pass it to, and copies what it keeps. Strings need no terminating NUL.
 *   - flags LEMA_VALUE_OWNED: the library allocated it (a result, an argument written back,
 *     an event argument, a value made by lema_value_copy or a lema_value_set_* function).
 *     Its strings are NUL-terminated (the length excludes the NUL); its arrays, items and
 *     object handles belong to it. Free it with lema_value_clear.
 *   lema_value_clear frees only what the library allocated and always leaves Empty, so it
 *   is safe on every initialised value. Initialise values with LEMA_VALUE_INIT (all zero,
 *   Empty) before handing them to a lema_value_set_* function.
 *   Results: `*result` is overwritten without being freed (pass an Empty or cleared
 *   value); on failure it is left Empty. Arguments: after lema_call / lema_invoke, an
 *   argument that the member changed (a by-reference parameter) is cleared with
 *   lema_value_clear and replaced by an owned value; the others are left untouched. Clear
 *   the arguments when done: it frees only the replacements.
 *   Lists returned by lema_members are one block: free it with lema_free.
 *
 * Host classes
 *   lema_register_class puts a factory for a class name in the library's registry: the
 *   library then creates and drives instances of it through the callbacks, exactly as it
 *   does its own classes. That is how a host supplies PIRO_LOOKUPDECODE.CLSCO_LOOKUP,
 *   PIRO_CONNECT.CLSCG_CONNECT, DocumentGraphics, or its host framework's interface object.
 *
 * Threads
 *   An instance is used by one thread at a time (as a rule the host's user-interface
 *   thread): the library's classes take no locks. Separate instances may be used on
 *   separate threads at the same time. Safe to share between threads:
 *   - the class registry: lema_create, lema_members, lema_register_class and
 *     lema_unregister_class may be called on any thread, also while other threads create
 *     instances; a factory that is replaced or removed meanwhile is dropped (drop_class)
 *     once the creations already using it have returned;
 *   - reference counts: lema_addref and lema_release on the same object from several
 *     threads. One host object (an interface object, say) may so be held by instances on
 *     several threads; its callbacks are then called on those threads and must allow it;
 *   - the last error, which is kept per thread.
 *   Not to be shared: an instance's members called from two threads at once, and a value
 *   (or the arrays and texts it owns) used on two threads at once.
 *
 * Limits
 *   Arrays nest at most LEMA_MAX_NESTING deep in a value (an array of numbers is 1 deep).
 *   A deeper value is refused with LEMA_E_INVALID_CALL before it is read, whichever way it
 *   goes, so that no call needs more than a small stack (a 256 KB thread stack is ample).
 *   Error texts quote at most the first 200 characters of a name or value, followed by its
 *   whole length in bytes; a text is at most 1023 bytes.
 */
#ifndef LEMA_LEMA_H
#define LEMA_LEMA_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define LEMA_API __attribute__((visibility("default")))
#else
#define LEMA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- error numbers ---------------------------------------------------------------------- */
#define LEMA_OK 0
#define LEMA_E_INVALID_CALL 5 /* invalid procedure call or argument (a null handle, ...) */
#define LEMA_E_OVERFLOW 6
#define LEMA_E_OUT_OF_MEMORY 7
#define LEMA_E_SUBSCRIPT 9
#define LEMA_E_TYPE_MISMATCH 13
#define LEMA_E_INTERNAL 51
#define LEMA_E_OBJECT_NOT_SET 91
#define LEMA_E_INVALID_USE_OF_NULL 94
#define LEMA_E_OBJECT_REQUIRED 424
#define LEMA_E_CANNOT_CREATE 429
#define LEMA_E_NOT_SUPPORTED 438
#define LEMA_E_ARGUMENT_NOT_OPTIONAL 449
#define LEMA_E_WRONG_ARGUMENT_COUNT 450
#define LEMA_E_DATA_ACCESS 3001
#define LEMA_E_HOST 10000

/* Deepest nesting of arrays in a value, see Limits above. */
#define LEMA_MAX_NESTING 64

/* ---- values ------------------------------------------------------------------------------ */
typedef enum lema_kind {
  LEMA_EMPTY = 0,
  LEMA_NULL = 1,
  LEMA_MISSING = 2, /* an optional argument that is not passed */
  LEMA_INTEGER = 3, /* 16-bit: u.integer */
  LEMA_LONG = 4,    /* 32-bit: u.lng */
  LEMA_DOUBLE = 5,  /* u.dbl */
  LEMA_DECIMAL = 6, /* fixed point, as text in u.text: "-12.5" (up to 28 digits) */
  LEMA_STRING = 7,  /* UTF-8 in u.text */
  LEMA_DATE = 8,    /* u.date, years 100 to 9999 */
  LEMA_BOOLEAN = 9, /* u.boolean: 0 false, anything else true */
  LEMA_OBJECT = 10, /* u.object, NULL for "no object" */
  LEMA_ARRAY = 11   /* u.array */
} lema_kind;

#define LEMA_VALUE_OWNED 1u

typedef struct lema_object lema_object;
typedef struct lema_value lema_value;

typedef struct lema_text {
  const char* data;
  size_t length; /* in bytes, without any terminating NUL */
} lema_text;

typedef struct lema_date {
  int32_t year, month, day, hour, minute, second;
} lema_date;

typedef struct lema_bound {
  int32_t lower; /* lower bound of the dimension */
  int32_t count; /* number of entries (upper bound = lower + count - 1) */
} lema_bound;

/* An array of 0 (not dimensioned), 1 or 2 dimensions. `items` holds the entries with the
   first subscript varying slowest: entry (i, j) is items[(i - lower0) * count1 + (j - lower1)]. */
typedef struct lema_array {
  uint32_t rank;
  lema_bound bounds[2];
  lema_value* items;
} lema_array;

struct lema_value {
  int32_t kind;   /* lema_kind */
  uint32_t flags; /* 0 or LEMA_VALUE_OWNED, see above */
  union {
    int16_t integer;
    int32_t lng;
    double dbl;
    int32_t boolean;
    lema_text text;
    lema_date date;
    lema_object* object;
    lema_array* array;
  } u;
};

#define LEMA_VALUE_INIT \
  {                     \
    0, 0, {             \
      0                 \
    }                   \
  }

/* Frees what the library allocated in *v (strings, arrays, object references) and leaves
   it Empty. A value you built yourself is only reset. NULL is ignored. */
LEMA_API void lema_value_clear(lema_value* v);
/* Deep copy of src into *dst (owned by the library; an object handle gains a reference).
 *dst is overwritten without being freed. */
LEMA_API int lema_value_copy(lema_value* dst, const lema_value* src);

/* Each clears *v, then stores an owned value (texts are copied). Use them to write results
   and by-reference arguments from callbacks. */
LEMA_API int lema_value_set_empty(lema_value* v);
LEMA_API int lema_value_set_null(lema_value* v);
LEMA_API int lema_value_set_missing(lema_value* v);
LEMA_API int lema_value_set_integer(lema_value* v, int16_t n);
LEMA_API int lema_value_set_long(lema_value* v, int32_t n);
LEMA_API int lema_value_set_double(lema_value* v, double d);
LEMA_API int lema_value_set_boolean(lema_value* v, int b);
LEMA_API int lema_value_set_decimal(lema_value* v, const char* text, size_t length);
LEMA_API int lema_value_set_string(lema_value* v, const char* data, size_t length);
LEMA_API int lema_value_set_date(lema_value* v, int32_t year, int32_t month, int32_t day,
                                 int32_t hour, int32_t minute, int32_t second);
LEMA_API int lema_value_set_object(lema_value* v, lema_object* object); /* takes a reference */
/* An array of `rank` (0 to 2) dimensions with Empty entries, to be filled in place with
   lema_value_set_* on v->u.array->items[k]. */
LEMA_API int lema_value_set_array(lema_value* v, uint32_t rank, const lema_bound* bounds);

/* Frees a block that the library returned (lema_members). NULL is ignored. */
LEMA_API void lema_free(void* block);

/* ---- errors -------------------------------------------------------------------------------- */
/* Text of the calling thread's last error ("" when the last call succeeded). The text stays
   valid until the thread's next call into the library. */
LEMA_API const char* lema_last_error(void);
LEMA_API int lema_last_error_code(void);
/* For callbacks that fail: the number and text of the error that the library raises when
   the callback returns nonzero (without it, the returned number and a text of the
   library's). Call it just before returning: any call into the library other than the
   lema_value_* helpers resets it. */
LEMA_API void lema_set_error(int code, const char* text);

/* Why a member fell back. Members report no error: a step that fails is skipped, and the
   member keeps its outputs and returns its default. With a trace function set, the library
   calls it once for each failure it skips, on the thread that made the call, with a one-line
   text (valid during the call only) naming the operation and the reason, for example
   "Connection.Execute: ... database is locked ...". `user` is handed back unchanged. NULL
   turns the trace off. The function may be set or changed from any thread. */
typedef void (*lema_trace_fn)(const char* text, size_t length, void* user);
LEMA_API void lema_set_trace(lema_trace_fn trace, void* user);

/* Version of the library, "MAJOR.MINOR.PATCH". */
LEMA_API const char* lema_version(void);

/* ---- objects -------------------------------------------------------------------------------- */
typedef enum lema_invoke_kind {
  LEMA_GET = 0,
  LEMA_LET = 1, /* assign a value */
  LEMA_SET = 2, /* assign an object reference */
  LEMA_CALL = 3
} lema_invoke_kind;

/* Creates an instance by class name, for example "LEMA_LOOKUPDECODE.CLSCG_LOOKUP". */
LEMA_API int lema_create(const char* class_name, lema_object** out);
LEMA_API void lema_addref(lema_object* object);
LEMA_API void lema_release(lema_object* object);
/* 1 when both handles stand for the same object (or are both NULL), else 0. */
LEMA_API int lema_same_object(const lema_object* a, const lema_object* b);
/* The object's class name, as an owned String in *out. */
LEMA_API int lema_class_name(lema_object* object, lema_value* out);

/* Member access by name (names ignore ASCII case). */
LEMA_API int lema_get(lema_object* object, const char* name, lema_value* result);
LEMA_API int lema_let(lema_object* object, const char* name, const lema_value* value);
LEMA_API int lema_set(lema_object* object, const char* name, const lema_value* value);
/* Calls a method with positional arguments (LEMA_MISSING leaves an optional one out).
   `result` may be NULL. Changed by-reference arguments are written back into args. */
LEMA_API int lema_call(lema_object* object, const char* name, lema_value* args, size_t nargs,
                       lema_value* result);
/* The general form: for LEMA_LET and LEMA_SET the new value is the last argument. */
LEMA_API int lema_invoke(lema_object* object, const char* name, int kind, lema_value* args,
                         size_t nargs, lema_value* result);

/* A class's members in slot order. `kind` is "method" for a method, otherwise the letters
   of the property's accessors in the order G, L, S ("G", "GL", "GLS", "GS", "S"). */
typedef struct lema_member {
  const char* name;
  const char* kind;
} lema_member;
/* *out is one block (free it with lema_free), NULL when the class has no members. */
LEMA_API int lema_members(const char* class_name, lema_member** out, size_t* count);

/* ---- host classes ----------------------------------------------------------------------- */
typedef struct lema_class_callbacks {
  /* Makes the state of a new instance in *state. Nonzero refuses the creation (error
     LEMA_E_CANNOT_CREATE unless lema_set_error gave another). May be NULL: the state is
     then NULL. */
  int (*create)(void* class_data, void** state);
  /* Member access on an instance; `self` is the instance's handle (borrowed: take a
     reference with lema_addref to keep it). `args` are owned by the library: read them,
     and change a by-reference argument in place with lema_value_set_* (the caller sees
     the change). Write the result into *result, with lema_value_set_* or lema_value_copy
     (it starts Empty). Return 0, or an error number (see lema_set_error). */
  int (*invoke)(void* class_data, void* state, lema_object* self, const char* member, int kind,
                lema_value* args, size_t nargs, lema_value* result);
  /* The instance ended (its last reference was released). May be NULL. */
  void (*release)(void* class_data, void* state);
  /* The class is no longer registered (unregistered, replaced, or the library unloaded)
     and none of its instances lives: class_data will not be used again. May be NULL. */
  void (*drop_class)(void* class_data);
} lema_class_callbacks;

/* Registers (or replaces) the factory of `class_name`. The callbacks are copied. */
LEMA_API int lema_register_class(const char* class_name, const lema_class_callbacks* callbacks,
                                 void* class_data);
/* Removes a factory (the library's own included). LEMA_E_CANNOT_CREATE when none. */
LEMA_API int lema_unregister_class(const char* class_name);

/* ---- events ------------------------------------------------------------------------------- */
/* Called for each event that `source` raises (source is borrowed). `args` are owned by the
   library; a by-reference argument is changed in place with lema_value_set_* and the object
   that raised the event sees the change. A nonzero result marks the sink as failed (the
   source ignores it and goes on with its other sinks). */
typedef int (*lema_event_callback)(void* user, lema_object* source, const char* event,
                                   lema_value* args, size_t nargs);
/* Attaches a sink to an object that raises events (LEMA_E_NOT_SUPPORTED otherwise). The
   sink stays until lema_unadvise or the end of the source. */
LEMA_API int lema_advise(lema_object* source, lema_event_callback callback, void* user,
                         uint32_t* cookie);
LEMA_API int lema_unadvise(lema_object* source, uint32_t cookie);

#ifdef __cplusplus
}
#endif

#endif /* LEMA_LEMA_H */
