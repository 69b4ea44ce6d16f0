/* Loads the shared library, uses it through the C interface and unloads it, over and over:
 * every cycle must end with the library really unloaded and its registry torn down (the host
 * class it still holds is dropped at unload); the sanitizer build checks leaks at exit.
 *
 *   dlopen_loop LIBRARY [CYCLES]
 */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lema/lema.h"

/* clang-format off */
#define API(X) X(lema_create) X(lema_release) X(lema_get) X(lema_call) X(lema_value_clear) \
  X(lema_value_set_string) X(lema_register_class) X(lema_last_error)
/* clang-format on */

typedef struct api {
#define FIELD(name) __typeof__(name)* name;
  API(FIELD)
#undef FIELD
} api;

static api L;
static int live_siblings, dropped_classes;

/* The VAT module's lookup component, supplied by this host. */
static int sibling_create(void* data, void** state) {
  (void)data;
  *state = malloc(16);
  ++live_siblings;
  return *state ? 0 : LEMA_E_OUT_OF_MEMORY;
}

static int sibling_invoke(void* data, void* state, lema_object* self, const char* member, int kind,
                          lema_value* args, size_t nargs, lema_value* result) {
  (void)data, (void)state, (void)self, (void)args, (void)nargs;
  if (kind == LEMA_GET && strcmp(member, "StringaSQL") == 0)
    return L.lema_value_set_string(result, "SELECT 1", 8);
  return 0;
}

static void sibling_release(void* data, void* state) {
  (void)data;
  free(state);
  --live_siblings;
}

static void sibling_drop(void* data) {
  (void)data;
  ++dropped_classes;
}

/* NULL when all went well, else what failed. The host class stays registered: unloading must
 * drop it. */
static const char* use_library(void) {
  lema_class_callbacks cb = {sibling_create, sibling_invoke, sibling_release, sibling_drop};
  lema_object* lookup = NULL;
  lema_value v = LEMA_VALUE_INIT;
  int ok;
  if (L.lema_register_class("PIRO_LOOKUPDECODE.CLSCO_LOOKUP", &cb, NULL) != 0) return "register";
  if (L.lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lookup) != 0) return "create";
  ok = L.lema_call(lookup, "CodiciIva", NULL, 0, NULL) == 0 &&
       L.lema_get(lookup, "StringaSQL", &v) == 0 && v.kind == LEMA_STRING && v.u.text.length == 8 &&
       live_siblings == 0;
  L.lema_value_clear(&v);
  L.lema_release(lookup);
  return ok ? NULL : "CodiciIva through the sibling";
}

int main(int argc, char** argv) {
  const char* failed = NULL;
  int cycle = 0, cycles = argc > 2 ? atoi(argv[2]) : 300;
  void* lib;
  if (argc < 2) {
    fprintf(stderr, "usage: dlopen_loop LIBRARY [CYCLES]\n");
    return 2;
  }
  for (; cycle < cycles && !failed; ++cycle) {
    if (!(lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL))) {
      failed = dlerror();
      continue;
    }
#define LOAD(name) *(void**)(&L.name) = dlsym(lib, #name);
    API(LOAD)
#undef LOAD
    if ((failed = use_library())) fprintf(stderr, "%s\n", L.lema_last_error());
    if (dlclose(lib) != 0) failed = dlerror();
    if (!failed && dlopen(argv[1], RTLD_NOW | RTLD_NOLOAD) != NULL)
      failed = "the library stayed loaded after dlclose";
    if (!failed && dropped_classes != cycle + 1)
      failed = "the registry was not torn down at unload";
  }
  if (failed) {
    fprintf(stderr, "cycle %d: %s\n", cycle - 1, failed);
    return 1;
  }
  printf("%d cycles\n", cycles);
  return 0;
}
