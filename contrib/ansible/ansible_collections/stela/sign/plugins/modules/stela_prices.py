# The prices on a filling station's sign as declared state.

DOCUMENTATION = r'''
module: stela_prices
short_description: The prices on a filling station's sign as declared state
description:
  - Reads the sign's five rows with stela-cli, and writes the declared rows where the sign
    shows something else; rows and fields not declared keep what the sign holds.
  - A row that could not be read, or whose two halves differ, never counts as showing the
    declared prices. A write refused by stela-cli, not confirmed, or cut short fails the task
    with stela-cli's message and the rows that may show two different prices.
  - In check mode nothing is written - C(stela-cli write --dry-run) checks the write and
    lists its frames.
version_added: 0.1.0
author: The stela developers
extends_documentation_fragment: stela.sign.stela_cli
options:
  rows:
    description: The declared rows; rows not given keep what the sign holds.
    type: list
    elements: dict
    default: []
    suboptions:
      row:
        description: 1 (the top row) to 5 (the bottom row), as a number.
        type: raw
        required: true
      price:
        description: A price that fits 99.99 (C(45.6) is C(45.60)), or C(unused) for a panel
          without a price; quote it in YAML so that C(45.60) keeps its zero.
        type: raw
      grade:
        description: C(80), C(92), C(95), C(98), C(ДТ) (or C(DT)), or C(none).
        type: raw
      caption1:
        description: The first caption.
        type: bool
      caption2:
        description: The second caption.
        type: bool
  brightness:
    description:
      - C(auto), or a manual level 0 to 9. The sign cannot be asked for its brightness, so it
        is sent on every run, and the task reports a change.
    type: raw
  effect:
    description:
      - The running effect's interval in seconds, 0 switches it off. Sent on every run, as
        I(brightness) is.
    type: int
    choices: [0, 1, 2, 3, 4, 5, 6, 7, 8, 9]
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
'''

EXAMPLES = r'''
- name: The region's prices, row 4 left as it is
  stela.sign.stela_prices:
    port: COM3
    rows:
      - {row: 1, price: "56.49", grade: "92"}
      - {row: 2, price: "61.20", grade: "95", caption1: true}
      - {row: 3, price: "72.90", grade: ДТ}
      - {row: 5, price: unused}

- name: A sign behind a network serial server, driven from the controller
  stela.sign.stela_prices:
    port: rfc2217://10.20.3.15:4001
    rows: "{{ prices }}"
  delegate_to: localhost
'''

RETURN = r'''
port:
  description: The port the sign answered on.
  returned: when the sign was read
  type: str
  sample: COM33
rows:
  description: The sign's rows as stela-cli prints them (row, valid, price, grade, caption1,
    caption2; null where the read could not tell) - after the write, or as read; null
    after a write that was cut short, where nothing read the sign again.
  returned: when the sign was read
  type: list
  elements: dict
  sample:
    - {row: 1, valid: true, price: '45.67', grade: '95', caption1: true, caption2: false}
    - {row: 4, valid: false, price: '52.30', grade: '92', caption1: false, caption2: false}
changes:
  description: The declared rows the sign did not show, as given to stela-cli.
  returned: when the sign was read
  type: list
  elements: dict
  sample:
    - {row: 1, price: '56.49', grade: '92'}
frames:
  description: The ten frames the write would send, in check mode.
  returned: in check mode, when rows would change
  type: list
  elements: str
  sample: [W0010010E22, W8010010E2A, W1010010E23, W9010010E2B, W2----10E21, W:----10E29,
           W3456730E22, W;456730E2A, W4564921E2B, W<564921E23]
commands:
  description: The brightness and effect commands sent (or, in check mode, to be sent).
  returned: always
  type: list
  elements: str
  sample: [brightness auto, effect 3]
may_show_two_prices:
  description: Rows that may show two different prices after a failed task.
  returned: failure
  type: list
  elements: int
  sample: [4]
'''

import json
import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.stela.sign.plugins.module_utils.stela_cli import COMMON_OPTIONS, StelaCli

PRICE = re.compile(r'([0-9]{1,2})(?:\.([0-9]{1,2}))?')
GRADES = ('80', '92', '95', '98', 'ДТ', 'none')
LEVELS = ('auto',) + tuple('0123456789')
ROW_OPTIONS = dict(
    row=dict(type='raw', required=True),
    price=dict(type='raw'),
    grade=dict(type='raw'),
    caption1=dict(type='bool'),
    caption2=dict(type='bool'),
)


def price_text(value, what):
    """The price as stela-cli reads it back: "dd.dd", or "unused"."""
    text = str(value)
    if text in ('unused', '--.--'):
        return 'unused'
    match = PRICE.fullmatch(text)
    if isinstance(value, bool) or not match:
        raise ValueError(f'{what}: "{text}" does not fit 99.99 (give 0.00 to 99.99, or unused)')
    return f'{int(match[1]):02d}.{(match[2] or "").ljust(2, "0")}'


def grade_name(value, what):
    text = 'ДТ' if str(value).lower() == 'dt' else str(value)
    if text not in GRADES:
        raise ValueError(f'{what}: "{text}" is no grade (80, 92, 95, 98, ДТ or none)')
    return text


def row_number(value):
    """1 to 5 as YAML writes a number. Ansible's int would take true for 1, and the texts
    of a key=value string that Ansible takes for the whole list ("row=1") for numbers."""
    if isinstance(value, bool) or not isinstance(value, int) or not 1 <= value <= 5:
        raise ValueError(f'row: {json.dumps(value, ensure_ascii=False)} is no row number '
                         '(give rows as a list, each with row: 1 to 5)')
    return value


def declared_rows(rows):
    """The declared rows in stela-cli's terms, only the fields given; wrong values raise."""
    declared = {}
    for given in rows:
        n = row_number(given['row'])
        if n in declared:
            raise ValueError(f'row {n} is given twice')
        fields = {key: value for key, value in given.items() if value is not None}
        if 'price' in fields:
            fields['price'] = price_text(fields['price'], f'row {n} price')
        if 'grade' in fields:
            fields['grade'] = grade_name(fields['grade'], f'row {n} grade')
        declared[n] = fields
    return [declared[n] for n in sorted(declared)]


def shows(row, declared):
    return row['valid'] is True and all(row[key] == value for key, value in declared.items())


def predicted(rows, changes):
    """The rows once the changes are written (the dry run has found them writable)."""
    by_row = {change['row']: change for change in changes}
    return [dict(row, **by_row[row['row']], valid=True) if row['row'] in by_row else row
            for row in rows]


def row_line(row):
    def shown(value):
        words = {None: '?', True: 'yes', False: 'no'}
        return words[value] if value is None or isinstance(value, bool) else value
    line = 'row {row}: {price}, grade {grade}, caption1 {caption1}, caption2 {caption2}'.format(
        **{key: shown(value) for key, value in row.items()})
    return line + ('' if row['valid'] else ' (not valid: a half failed, or the halves differ)')


def rows_text(rows):
    return ''.join(row_line(row) + '\n' for row in rows)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            COMMON_OPTIONS,
            rows=dict(type='list', elements='dict', default=[], options=ROW_OPTIONS),
            brightness=dict(type='raw'),
            effect=dict(type='int', choices=list(range(10))),
        ),
        supports_check_mode=True,
    )
    # Every value is checked before anything is sent to the sign.
    brightness = module.params['brightness']
    try:
        declared = declared_rows(module.params['rows'])
        if brightness is not None and str(brightness).lower() not in LEVELS:
            raise ValueError(f'brightness: "{brightness}" is neither auto nor 0 to 9')
    except ValueError as error:
        module.fail_json(msg=str(error))

    cli = StelaCli(module)
    result = dict(changed=False, commands=[])
    if declared:
        sign = cli.read()
        current = {row['row']: row for row in sign['rows']}
        changes = [d for d in declared if not shows(current[d['row']], d)]
        result.update(port=sign['port'], rows=sign['rows'], changes=changes)
        if changes:
            if module.check_mode:
                result['frames'] = cli.write(changes, sign, dry_run=True)
                after = predicted(sign['rows'], changes)
            else:
                after = result['rows'] = cli.write(changes, sign, dry_run=False)['rows']
            result.update(changed=True, diff=dict(
                before_header=f"{sign['port']}, before", before=rows_text(sign['rows']),
                after_header=f"{sign['port']}, after", after=rows_text(after)))

    for name, value in (('brightness', brightness), ('effect', module.params['effect'])):
        if value is not None:
            command = [name, str(value).lower()]
            if not module.check_mode:
                cli.command(*command)
            result['commands'].append(' '.join(command))
            result['changed'] = True
    module.exit_json(**result)


if __name__ == '__main__':
    main()
