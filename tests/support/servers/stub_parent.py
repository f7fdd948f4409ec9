"""What every test stub does: it ends when the test that started it is gone."""
import os
import threading
import time


def end_with_parent():
    """Exits the process once its parent is no longer the one that started it."""
    parent = os.getppid()

    def watch():
        while os.getppid() == parent:
            time.sleep(0.2)
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()
