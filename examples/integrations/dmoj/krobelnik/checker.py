# The checker of the task Krobelnik for DMOJ. DMOJ's bridged checker runs
# only programs it compiles itself, inside its sandbox, so this checker runs
# the installed testlib adapter as the bridged checker runs a checker of type
# testlib (the input, the output and the answer as files, then the test
# case's value for whole points) and reads the verdict with DMOJ's own
# parser for testlib checkers: exit status 0, 1, 2 or 7 with a line
# "points N" on standard error, the message on standard output.
import shutil
import subprocess

from dmoj.contrib.testlib import ContribModule
from dmoj.error import InternalError
from dmoj.utils.helper_files import mktemp


def check(process_output, judge_output, point_value, case, adapter='Zelvor20Krobelnik-testlib',
          **kwargs):
    program = shutil.which(adapter) or adapter
    # Whole points from 1 to the test case's value.
    value = str(max(1, int(point_value)))
    with mktemp(process_output) as output_file, mktemp(judge_output) as answer_file:
        done = subprocess.run(
            [program, case.input_data_io().to_path(), output_file.name, answer_file.name,
             '--points-out-of', value],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if done.returncode not in (ContribModule.AC, ContribModule.WA, ContribModule.PE,
                               ContribModule.IE, ContribModule.PARTIAL):
        raise InternalError(f'checker exited with status {done.returncode}: {done.stderr!r}')
    return ContribModule.parse_return_code(done, None, point_value, 0, 0,
                                           feedback=done.stdout.decode('utf-8', 'replace'),
                                           name='checker', stderr=done.stderr)
