# The options every module of stela.sign takes: where the sign is, and which stela-cli talks to it.


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  port:
    description:
      - The port the sign answers on, as stela-cli takes it - C(COM1) to C(COM255), a device
        path such as C(/dev/ttyUSB0), or a sign behind a network serial server,
        C(tcp://HOST:PORT) or C(rfc2217://HOST:PORT).
      - Omitted, stela-cli's board search looks for the sign on C(COM1) to C(COM255); the
        task's later commands go to the port it found.
    type: str
  executable:
    description:
      - The stela-cli to run; by default the one on the C(PATH) of the host the task runs on.
    type: path
requirements:
  - stela-cli (Debian package stela-cli) on the host the task runs on; with C(delegate_to) on a
    controller that reaches the sign through a network serial server.
notes:
  - stela-cli runs in the C.UTF-8 locale, so that its messages, quoted in failed tasks, are
    always English.
  - A failed stela-cli command is never run again on its own - the failed task says what
    the sign holds; run the task again once the line is mended.
'''
