/* Loads the shared library, uses it through the C interface and unloads it, over and over:
 * every cycle must end with the library really unloaded, its registry torn down (the host
 * class it still held is dropped at unload) and nothing left allocated (the sanitizer build
 * checks leaks at exit).
 *
 *   dlopen_loop LIBRARY [CYCLES]
 */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lema/lema.h"

/* clang-format off */
#define API(X)                                                                    \
  X(lema_create) X(lema_release) X(lema_get) X(lema_call) X(lema_let)              \
  X(lema_members) X(lema_free) X(lema_value_clear) X(lema_value_set_string)        \
  X(lema_value_set_array) X(lema_register_class) X(lema_last_error)                \
  X(lema_last_error_code)
/* clang-format on */

typedef struct api {
#define FIELD(name) __typeof__(name)* name;
  API(FIELD)
#undef FIELD
} api;

static api L;
static int live_siblings;   /* instances of the host class alive */
static int dropped_classes; /* drop_class calls */
static int failures;

#define CHECK(cond, what)                                                       \
  do {                                                                          \
    if (!(cond)) {                                                              \
      fprintf(stderr, "cycle %d: %s (%s)\n", cycle, what, L.lema_last_error()); \
      ++failures;                                                               \
      return;                                                                   \
    }                                                                           \
  } while (0)

static const char kSiblingSql[] = "SELECT * FROM IVA";

/* The VAT module's lookup component, supplied by this host. */
static int sibling_create(void* class_data, void** state) {
  (void)class_data;
  *state = malloc(16);
  if (!*state) return LEMA_E_OUT_OF_MEMORY;
  ++live_siblings;
  return 0;
}

static int sibling_invoke(void* class_data, void* state, lema_object* self, const char* member,
                          int kind, lema_value* args, size_t nargs, lema_value* result) {
  (void)class_data, (void)state, (void)self, (void)args, (void)nargs;
  if (kind != LEMA_GET) return 0; /* ActiveInterface, FiltroStringaSQL, AliquoteIVA */
  if (strcmp(member, "StringaSQL") == 0)
    return L.lema_value_set_string(result, kSiblingSql, sizeof kSiblingSql - 1);
  if (strcmp(member, "Titolo") == 0) return L.lema_value_set_string(result, "Aliquote", 8);
  if (strcmp(member, "ArrayFields") == 0) {
    lema_bound b[2] = {{0, 1}, {0, 2}};
    int rc = L.lema_value_set_array(result, 2, b);
    if (rc == 0) rc = L.lema_value_set_string(&result->u.array->items[0], "Codice", 6);
    return rc;
  }
  return LEMA_E_NOT_SUPPORTED;
}

static void sibling_release(void* class_data, void* state) {
  (void)class_data;
  free(state);
  --live_siblings;
}

static void sibling_drop(void* class_data) {
  (void)class_data;
  ++dropped_classes;
}

static int text_is(const lema_value* v, const char* want) {
  return v->kind == LEMA_STRING && v->u.text.length == strlen(want) &&
         memcmp(v->u.text.data, want, v->u.text.length) == 0;
}

static void use_library(int cycle) {
  lema_class_callbacks cb = {sibling_create, sibling_invoke, sibling_release, sibling_drop};
  lema_object* lookup = NULL;
  lema_value v = LEMA_VALUE_INIT;
  lema_member* members = NULL;
  size_t count = 0;

  CHECK(L.lema_register_class("PIRO_LOOKUPDECODE.CLSCO_LOOKUP", &cb, NULL) == 0, "register");
  CHECK(L.lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lookup) == 0, "create");

  CHECK(L.lema_call(lookup, "Valute", NULL, 0, NULL) == 0, "Valute");
  CHECK(L.lema_get(lookup, "Caption", &v) == 0 && text_is(&v, "Elenco valute"), "Caption");
  L.lema_value_clear(&v);
  CHECK(L.lema_get(lookup, "ColonneLookup", &v) == 0 && v.kind == LEMA_ARRAY &&
            v.u.array->rank == 2 && text_is(&v.u.array->items[0], "Codice"),
        "ColonneLookup");
  L.lema_value_clear(&v);

  CHECK(L.lema_call(lookup, "CodiciIva", NULL, 0, NULL) == 0, "CodiciIva");
  CHECK(live_siblings == 0, "the sibling lookup outlived CodiciIva");
  CHECK(L.lema_get(lookup, "StringaSQL", &v) == 0 && text_is(&v, kSiblingSql), "StringaSQL");
  L.lema_value_clear(&v);

  CHECK(L.lema_call(lookup, "NoSuchMember", NULL, 0, NULL) == LEMA_E_NOT_SUPPORTED &&
            L.lema_last_error_code() == LEMA_E_NOT_SUPPORTED && L.lema_last_error()[0] != '\0',
        "unknown member");
  CHECK(L.lema_members("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &members, &count) == 0 && count > 3 &&
            strcmp(members[0].name, "Caption") == 0 && strcmp(members[0].kind, "G") == 0,
        "members");
  L.lema_free(members);
  L.lema_release(lookup);
  /* The host class stays registered: unloading must drop it. */
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: dlopen_loop LIBRARY [CYCLES]\n");
    return 2;
  }
  const int cycles = argc > 2 ? atoi(argv[2]) : 300;
  for (int cycle = 0; cycle < cycles && failures == 0; ++cycle) {
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
      fprintf(stderr, "cycle %d: %s\n", cycle, dlerror());
      return 1;
    }
#define LOAD(name) *(void**)(&L.name) = dlsym(lib, #name);
    API(LOAD)
#undef LOAD
    if (!L.lema_create || !L.lema_last_error_code) {
      fprintf(stderr, "cycle %d: missing symbols\n", cycle);
      return 1;
    }
    use_library(cycle);
    if (dlclose(lib) != 0) {
      fprintf(stderr, "cycle %d: dlclose: %s\n", cycle, dlerror());
      return 1;
    }
    if (dlopen(argv[1], RTLD_NOW | RTLD_NOLOAD) != NULL) {
      fprintf(stderr, "cycle %d: the library stayed loaded after dlclose\n", cycle);
      return 1;
    }
    if (dropped_classes != cycle + 1) {
      fprintf(stderr, "cycle %d: the registry was not torn down at unload\n", cycle);
      return 1;
    }
  }
  if (failures) return 1;
  printf("%d cycles\n", cycles);
  return 0;
}
