"""Settings for the whole test run."""
import signal

# A run started in the background inherits SIGINT ignored, and exec keeps an
# ignored signal ignored, so the child interpreters that test Ctrl-C would
# never see it. A handled signal is reset to its default on exec instead.
signal.signal(signal.SIGINT, signal.default_int_handler)
