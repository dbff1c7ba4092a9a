# Leaves the last letter of each s out: rejected, the concatenation ends
# before s does.
import sys

lines = sys.stdin.read().split('\n')
print('000000')
print('Krobelnik')
for k in range(1, int(lines[1]) + 1):
    print(k, '1 1', lines[3 * k + 1][:-1] or 'z', 1, sep='\n')
