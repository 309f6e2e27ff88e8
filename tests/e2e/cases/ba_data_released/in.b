; header comment
; second comment
UUNBUNOA1X

FTXAAAa+b:c'd?e
next
; trailing comment
UNBUNOB1
X
