"""The C interface from Python: every check of the example host's binding
(examples/python_host/lema_host.py), on the library given.   python3 smoke.py LIBRARY
"""
import atexit
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python_host"))
import lema_host  # noqa: E402  (loads the library named by the first argument)

atexit.register(lema_host.HostClass.unregister_all)
unittest.main(module=lema_host, argv=[sys.argv[0]], verbosity=1)
