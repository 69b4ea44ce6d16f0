"""The example Python host's checks.   smoke.py LIBRARY"""
import atexit, os, sys, unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python_host"))
import lema_host  # noqa: E402  (loads the library in argv[1])

atexit.register(lema_host.HostClass.unregister_all)
unittest.main(module=lema_host, argv=[sys.argv[0]], verbosity=1)
