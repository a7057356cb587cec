# What a filling station's sign shows, as facts for reports.

DOCUMENTATION = r'''
module: stela_facts
short_description: What a filling station's sign shows, as facts
description:
  - Reads the sign's ten halves and five rows with stela-cli and sets them as the fact
    C(stela_sign) - stela-cli's JSON (port, halves, rows), nulls where the read could not tell.
  - Halves that failed, and rows whose halves differ, are in the facts (C(valid) false) and
    stela-cli's account of them is given as warnings. A sign that does not answer at all
    fails the task.
version_added: 0.1.0
author: The stela developers
extends_documentation_fragment: stela.sign.stela_cli
attributes:
  check_mode:
    support: full
  facts:
    support: full
'''

EXAMPLES = r'''
- stela.sign.stela_facts:
    port: COM3
- ansible.builtin.debug:
    msg: "{{ stela_sign.rows | selectattr('valid', 'false') | map(attribute='row') }}"
'''

RETURN = r'''
ansible_facts:
  description: The fact C(stela_sign).
  returned: success
  type: complex
  contains:
    stela_sign:
      description: stela-cli's JSON read of the sign - port, halves (row, half, address,
        state, price, grade, caption1, caption2) and rows (row, valid, price, grade,
        caption1, caption2).
      type: dict
      returned: success
      sample:
        port: COM33
        halves:
          - {row: 1, half: first, address: 4, state: ok, price: '45.67', grade: '95',
             caption1: true, caption2: false}
        rows:
          - {row: 1, valid: true, price: '45.67', grade: '95', caption1: true,
             caption2: false}
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.stela.sign.plugins.module_utils.stela_cli import COMMON_OPTIONS, StelaCli


def main():
    module = AnsibleModule(argument_spec=COMMON_OPTIONS, supports_check_mode=True)
    module.exit_json(changed=False, ansible_facts=dict(stela_sign=StelaCli(module).read()))


if __name__ == '__main__':
    main()
