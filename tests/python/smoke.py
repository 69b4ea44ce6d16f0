"""Smoke test of the C interface from Python: the example host's binding
(examples/python_host/lema_host.py) loads the library and runs a few of its own checks.

    python3 smoke.py PATH/TO/liblema.so
"""
import atexit
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python_host"))
import lema_host  # noqa: E402  (loads the library named by the first argument)

atexit.register(lema_host.HostClass.unregister_all)
checks = ["ValuesTest.test_every_kind_comes_back_as_it_went", "LookupTest.test_valute",
          "LookupTest.test_codici_iva_from_the_python_sibling",
          "ConnectorTest.test_call_through_the_python_sibling_and_transfer_data_to_the_sink"]
unittest.main(module=lema_host, argv=[sys.argv[0]] + checks, verbosity=1)
