/* Load the library, have a lookup create and release this host's sibling class, unload: each
 * cycle really unloads and tears the registry down (dropping the class registered); the
 * sanitizer build checks leaks.   dlopen_loop LIBRARY [CYCLES] */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

#include "lema/lema.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

#define API(X) X(lema_create) X(lema_release) X(lema_call) X(lema_register_class) X(lema_last_error)
#define FIELD(name) __typeof__(name)* name;
static struct { API(FIELD) } L;
static int created, live, dropped;

static int sibling_create(void* data, void** state) {
  ++created;
  ++live;
  return 0;
}

static int sibling_invoke(void* data, void* state, lema_object* self, const char* member, int kind,
                          lema_value* args, size_t nargs, lema_value* result) {
  return 0;
}

static void sibling_release(void* data, void* state) {
  --live;
}

static void sibling_drop(void* data) {
  ++dropped;
}

int main(int argc, char** argv) {
  lema_class_callbacks cb = {sibling_create, sibling_invoke, sibling_release, sibling_drop};
  const char* failed = NULL;
  int cycle = 0, cycles = argc > 2 ? atoi(argv[2]) : 300;
  if (argc < 2) {
    fprintf(stderr, "usage: dlopen_loop LIBRARY [CYCLES]\n");
    return 2;
  }
  for (void* lib; cycle < cycles && !failed; ++cycle) {
    lema_object* lookup = NULL;
    if (!(lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL))) {
      failed = dlerror();
      continue;
    }
#define LOAD(name) *(void**)(&L.name) = dlsym(lib, #name);
    API(LOAD)
    if (L.lema_register_class("PIRO_LOOKUPDECODE.CLSCO_LOOKUP", &cb, NULL) ||
        L.lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lookup) ||
        L.lema_call(lookup, "CodiciIva", NULL, 0, NULL)) {
      fprintf(stderr, "%s\n", L.lema_last_error());
      failed = "CodiciIva through the sibling";
    } else if (created != cycle + 1 || live != 0) {
      failed = "CodiciIva did not create and release its sibling";
    }
    if (lookup) L.lema_release(lookup);
    if (dlclose(lib) != 0) failed = dlerror();
    if (!failed && dlopen(argv[1], RTLD_NOW | RTLD_NOLOAD))
      failed = "the library stayed loaded after dlclose";
    if (!failed && dropped != cycle + 1) failed = "the registry was not torn down at unload";
  }
  if (failed) {
    fprintf(stderr, "cycle %d: %s\n", cycle - 1, failed);
    return 1;
  }
  printf("%d cycles\n", cycles);
  return 0;
}
