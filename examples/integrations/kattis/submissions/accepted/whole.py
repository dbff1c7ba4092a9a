# Answers each test case with its s whole: k = 1, r = 1, always accepted.
import sys

lines = sys.stdin.read().split('\n')
print('000000')
print('Krobelnik')
for k in range(1, int(lines[1]) + 1):
    print(k, '1 1', lines[3 * k + 1], 1, sep='\n')
