# stela-cli as the stela.sign modules run it: JSON in and out, exit statuses as failed tasks.

import json
import re

COMMON_OPTIONS = dict(port=dict(type='str'), executable=dict(type='path'))

# English messages, so that the account of a write cut short can be read back here.
ENVIRONMENT = {'LC_ALL': 'C.UTF-8', 'LANGUAGE': ''}

STATUS_MEANINGS = {
    1: "the sign did not confirm, a half failed, or a row's halves differ",
    2: 'bad arguments or prices, nothing was sent',
    3: 'no sign found, or a port error',
    4: 'done, but the log could not be written',
}

SPLIT_ROW = re.compile(r'^Row (\d) may show two different prices', re.MULTILINE)
# How the account of a write cut short begins: frames went out.
WRITE_ACCOUNT = re.compile(r'^(Rows written and confirmed: |No row was written and confirmed)',
                           re.MULTILINE)


def status_meaning(rc):
    if rc > 128:
        return f'stopped by signal {rc - 128}'
    if rc < 0:
        return f'killed by signal {-rc}'
    return STATUS_MEANINGS.get(rc, f'exit status {rc}')


def rows_at_risk(sign, err):
    """Rows that may show two different prices: not valid in the last read of the sign,
    or named by the account of a write cut short."""
    rows = {row['row'] for row in sign['rows'] if row['valid'] is not True} if sign else set()
    rows.update(int(n) for n in SPLIT_ROW.findall(err))
    return sorted(rows)


def parsed_sign(out):
    try:
        sign = json.loads(out)
    except ValueError:
        return None
    return sign if isinstance(sign, dict) and 'rows' in sign and 'halves' in sign else None


class StelaCli:
    def __init__(self, module):
        self.module = module
        self.executable = (module.params['executable'] or
                           module.get_bin_path('stela-cli', required=True))
        self.port = module.params['port']

    def run(self, *args, data=None):
        argv = [self.executable, *args] + ([f'--port={self.port}'] if self.port else [])
        return self.module.run_command(argv, data=data, environ_update=ENVIRONMENT,
                                       expand_user_and_vars=False)

    def fail(self, command, rc, err, sign=None, msg=None, **result):
        """Ends the task with stela-cli's message and what the sign is known to hold."""
        result.setdefault('rows', sign['rows'] if sign else None)
        self.module.fail_json(
            msg=f"stela-cli {command}: {msg or status_meaning(rc)}\n{err.strip()}".strip(),
            rc=rc, port=self.port, may_show_two_prices=rows_at_risk(sign, err), **result)

    def read(self):
        """The sign's halves and rows; a sign that cannot be read at all fails the task.
        A read where some halves failed (status 1) is returned with its stderr as warnings."""
        rc, out, err = self.run('read', '--format=json')
        sign = parsed_sign(out)
        if rc not in (0, 1) or sign is None:
            self.fail('read', rc, err)
        if all(half['state'] == 'no-reply' for half in sign['halves']):
            self.fail('read', rc, err, msg=f"the sign on {sign['port']} does not answer")
        # The search's answer, so that the task's later commands do not search again.
        self.port = self.port or sign['port']
        for line in err.splitlines():
            self.module.warn(line)
        return sign

    def write(self, rows, before, dry_run):
        """Writes the rows (stela-cli's prices file), or with dry_run lists the frames a
        write would send. Returns the read-back, or the frames."""
        args = ['write', '--file=-', '--format=json'] + (['--dry-run'] if dry_run else [])
        rc, out, err = self.run(*args, data=json.dumps({'rows': rows}))
        after = None if dry_run else parsed_sign(out)
        if rc != 0:
            # A read-back, an account of the write, or a stop: the sign may have changed,
            # and without a read-back nothing tells its rows now.
            sent = not dry_run and (after is not None or rc > 128 or
                                    WRITE_ACCOUNT.search(err) is not None)
            self.fail('write', rc, err, after or before, changed=sent,
                      rows=after['rows'] if after else None if sent else before['rows'])
        if not dry_run and after is None:
            self.fail('write', rc, err, before, msg='no read-back in its output')
        return out.splitlines() if dry_run else after

    def command(self, *args):
        rc, out, err = self.run(*args)
        if rc != 0:
            self.fail(' '.join(args), rc, err)
        return out.strip()
