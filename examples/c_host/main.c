/* A small host in C: creates a lookup by class name, asks it for the currency list and
 * prints the window title and the statement. */
#include <lema/lema.h>
#include <stdio.h>

static int fail(const char* what) {
  fprintf(stderr, "%s: error %d: %s\n", what, lema_last_error_code(), lema_last_error());
  return 1;
}

static int print_property(lema_object* lookup, const char* name) {
  lema_value v = LEMA_VALUE_INIT;
  if (lema_get(lookup, name, &v) != LEMA_OK) return fail(name);
  if (v.kind == LEMA_STRING) printf("%s: %.*s\n", name, (int)v.u.text.length, v.u.text.data);
  lema_value_clear(&v);
  return 0;
}

int main(void) {
  lema_object* lookup = NULL;
  if (lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lookup) != LEMA_OK) return fail("create");
  int rc = lema_call(lookup, "Valute", NULL, 0, NULL) != LEMA_OK ? fail("Valute") : 0;
  if (rc == 0) rc = print_property(lookup, "Caption");
  if (rc == 0) rc = print_property(lookup, "StringaSQL");
  lema_release(lookup);
  return rc;
}
